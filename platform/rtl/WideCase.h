#pragma once
// Case mapping of UTF-16 text by Unicode's simple (one code point to one
// code point) mappings, so every script keeps its letters: Greek, Cyrillic
// and letters beyond the Basic Multilingual Plane change case, characters
// without a case stay as they are, and no character is ever lost. Unpaired
// surrogates pass through unchanged.

#include <string>
#include <string_view>

namespace rtl {

std::u16string WideUpperCase(std::u16string_view text);
std::u16string WideLowerCase(std::u16string_view text);

}  // namespace rtl
