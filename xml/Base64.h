#pragma once
// Base64 (RFC 4648, standard alphabet, "=" padding) of binary values.

#include <cstddef>
#include <string>
#include <string_view>

namespace xml {

std::string EncodeBase64(const void* data, std::size_t size);

// Fills exactly size bytes from the text, white space ignored. Raises
// EXmlError "Error while calculating streamlength" when the text length
// (without white space) is not a multiple of 4, "Missing data in binary
// stream" when it holds fewer bytes and "Invalid character in binary stream"
// for characters outside the alphabet or misplaced padding.
void DecodeBase64(std::string_view text, void* out, std::size_t size);

// Bytes the text holds: length without white space div 4 x 3, less the
// trailing "=".
std::size_t Base64DecodedSize(std::string_view text);

}  // namespace xml
