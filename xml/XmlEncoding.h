#pragma once
// Character encodings of XML files: recognising them by their first bytes,
// turning them into the UTF-8 the document holds, and back.

#include <cstddef>
#include <cstdint>
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

// The byte-order mark a file in the encoding starts with: that of the
// encoding's first signature, when it has one; UTF-8 files get none.
std::string_view ByteOrderMark(TXmlEncoding encoding);

// UTF-16 bytes to UTF-8; unpaired surrogates and an odd last byte become
// U+FFFD.
std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);
// UTF-8 to UTF-16 bytes, without mark.
std::string Utf8ToUtf16Bytes(std::string_view utf8, bool bigEndian);

// Whether more text could still complete a declaration at the start of the
// text, or show that there is none.
bool DeclarationUnfinished(std::string_view text);
// The encoding named by a declaration at the start of the text, or empty.
std::string_view DeclaredEncoding(std::string_view text);

// Whether the text is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Whether the character set reads the ASCII of a declaration as written: a
// set that does not cannot be a file's whose declaration names it (files
// labelled UTF-16 yet written in UTF-8 exist). Raises EXmlError "Unknown
// character set "%s"" for a set no converter knows.
bool ReadsDeclarationAsWritten(std::string_view charset);
// Text in the character set as UTF-8 (bytes it does not define become
// U+FFFD); raises EXmlError "Unknown character set "%s"".
std::string CharsetTextToUtf8(std::string_view bytes, std::string_view charset);
// UTF-8 in the character set (empty: Windows-1252). Raises EXmlError
// "Unknown character set "%s"" or "Character not representable in ..."
// rather than losing a character.
std::string Utf8ToCharsetText(std::string_view utf8, std::string_view charset);

}  // namespace xml::detail
