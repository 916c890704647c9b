#pragma once
// Character encodings of XML files: recognising them by their first bytes,
// turning them into the UTF-8 the document holds, and back.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xml/XmlTypes.h"

namespace xml::detail {

// The encoding the first bytes announce (the first matching signature) and
// the length of its byte-order mark; 8-bit when none matches.
TXmlEncoding DetectEncoding(std::string_view head, std::size_t& bomLength);

// Raises EXmlError "Unsupported string encoding" for UCS-4 and EBCDIC.
void CheckSupported(TXmlEncoding encoding);

bool IsUtf16(TXmlEncoding encoding);
bool IsBigEndian(TXmlEncoding encoding);

// UTF-16 bytes to UTF-8; unpaired surrogates and an odd last byte become
// U+FFFD.
std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

// The encoding named by a declaration at the start of the text, or empty.
std::string_view DeclaredEncoding(std::string_view text);

// Whether the text is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The text of a file without byte-order mark whose declaration names the
// character set, as UTF-8. Nothing for a set that does not read the
// declaration's own ASCII as written: it cannot be the file's (files labelled
// UTF-16 yet written in UTF-8 exist). Raises EXmlError "Unknown character set
// "%s"" for a set no converter knows.
std::optional<std::string> DeclaredTextToUtf8(std::string_view bytes, std::string_view charset);

// The bytes of a file holding the UTF-8 text in the encoding, with the
// byte-order mark UTF-16 files start with; 8-bit files are written in the
// named character set (empty: Windows-1252). Raises EXmlError "Unsupported
// string encoding", "Unknown character set "%s"", or "Character not
// representable in ..." rather than losing a character.
std::string EncodeText(std::string_view utf8, TXmlEncoding encoding, std::string_view charset = {});

}  // namespace xml::detail
