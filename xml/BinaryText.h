#pragma once
// What the binary text codecs share: counting the characters that are not
// white space, and their error messages.

#include <cstddef>
#include <string_view>

namespace xml::detail {

std::size_t CountNonSpace(std::string_view text);

[[noreturn]] void ThrowMissingData();
[[noreturn]] void ThrowInvalidCharacter();

}  // namespace xml::detail
