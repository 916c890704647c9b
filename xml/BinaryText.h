#pragma once
// What the binary text codecs share: the white space they skip and their
// error messages.

#include <cstddef>
#include <string_view>

namespace xml::detail {

constexpr bool IsXmlSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::size_t CountNonSpace(std::string_view text);

[[noreturn]] void ThrowMissingData();
[[noreturn]] void ThrowInvalidCharacter();

}  // namespace xml::detail
