#pragma once
// Text in any character set the C library's iconv knows (Shift_JIS, Big5,
// KOI8-R, windows-1251, ISO-8859-x ...), converted to and from UTF-8. Names
// are those of XML declarations and MIME: letters, digits, ".", "_", "-".

#include <string>
#include <string_view>

namespace rtl {

// Whether the character set is known by that name.
bool IsKnownCharset(std::string_view charset);

// Bytes in the character set to UTF-8. A byte sequence the set does not
// define becomes U+FFFD, as malformed UTF-8 does elsewhere. Raises
// EConvertError "Unknown character set "%s"".
std::string CharsetToUtf8(std::string_view bytes, std::string_view charset);

// UTF-8 to bytes in the character set. Raises EConvertError "Unknown
// character set "%s"", or "Character not representable in %s" rather than
// losing a character.
std::string Utf8ToCharset(std::string_view utf8, std::string_view charset);

}  // namespace rtl
