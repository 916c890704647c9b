#pragma once
// Binary values as plain hexadecimal text: two upper-case digits per byte.

#include <cstddef>
#include <string>
#include <string_view>

namespace xml {

std::string EncodeBinHex(const void* data, std::size_t size);

// Fills exactly size bytes from the text, white space ignored (either digit
// case). Raises EXmlError "Missing data in binary stream" when the text holds
// fewer and "Invalid character in binary stream" for a non-hexadecimal
// character.
void DecodeBinHex(std::string_view text, void* out, std::size_t size);

// Half the text length without white space.
std::size_t BinHexDecodedSize(std::string_view text);

}  // namespace xml
