#pragma once
// Text in three forms meets here: 8-bit strings in Windows-1252 (the
// program's "string"), UTF-16 wide strings (std::u16string) and UTF-8 (XML
// text). Every conversion between them lives in this one module.

#include <cstddef>
#include <string>
#include <string_view>

namespace rtl {

// The halves of a UTF-16 surrogate pair.
constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::u16string Cp1252ToUtf16(std::string_view text);
// Characters with no Windows-1252 code become '?'; lossy (when given) tells
// whether that happened, so callers can refuse instead of losing data.
std::string Utf16ToCp1252(std::u16string_view text, bool* lossy = nullptr);

// Decodes one UTF-8 sequence at text[i] (i < size) and advances i past it.
// Overlong forms, surrogates, code points above U+10FFFF and cut sequences
// decode as U+FFFD.
char32_t DecodeUtf8(std::string_view text, std::size_t& i);
// Malformed UTF-8 sequences decode to U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// Unpaired surrogates encode as U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

std::string Cp1252ToUtf8(std::string_view text);
std::string Utf8ToCp1252(std::string_view text, bool* lossy = nullptr);

// 8-bit text written in the code page of a Windows font character set
// (0 ANSI, 204 Russian, 238 Eastern Europe, 128 Shift-JIS, ...), as UTF-8.
// The default (1), symbol (2) and unknown sets read as Windows-1252 (as
// Cp1252ToUtf8); in other code pages, bytes they do not define become U+FFFD.
std::string CharsetToUtf8(std::string_view text, int charset);

// Text in any code page iconv knows, named as XML declarations and MIME name
// character sets ("Shift_JIS", "Big5", "KOI8-R", "windows-1251",
// "ISO-8859-2" ...): letters, digits, ".", "_" and "-".
bool IsKnownCodePage(std::string_view codePage);
// Bytes the code page does not define become U+FFFD. Raises EConvertError
// "Unknown character set "%s"".
std::string CodePageToUtf8(std::string_view text, std::string_view codePage);
// Raises EConvertError "Unknown character set "%s"", or "Character not
// representable in %s: "%s"" rather than losing a character.
std::string Utf8ToCodePage(std::string_view utf8, std::string_view codePage);

// Removes leading and trailing characters with codes below 33.
std::string Trim(std::string_view text);

}  // namespace rtl
