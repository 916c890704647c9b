#pragma once
// The five XML entities and character references.

#include <string>
#include <string_view>

namespace xml {

// Replaces & < > ' " by &amp; &lt; &gt; &apos; &quot;, and CR by "&#13;":
// every reader turns a CR written as it is into LF, so a text with CR LF line
// breaks would not read back as it was.
//
// XML 1.0 cannot carry some characters raw: NUL and the other C0 controls
// but tab, LF and CR, U+FFFE and U+FFFF. Each of them is written as a
// character reference "&#xN;" (N in upper-case hexadecimal), which
// UnescapeText resolves: whatever text a person makes reads back exactly, a
// barcode value with a group separator included. Readers that hold to XML 1.0
// to the letter refuse such a reference; lenient ones read it.
// A byte that is not UTF-8 (an encoded surrogate among them) is written as
// U+FFFD, the replacement character: no character stands behind it.
std::string EscapeText(std::string_view text);
// The same for an attribute value, with tab and LF also written as
// references ("&#9;", "&#10;"): readers turn them into blanks otherwise.
std::string EscapeAttribute(std::string_view value);
// For CDATA sections, which cannot hold references: the characters XML
// cannot carry raw and the bytes that are not UTF-8 are written as U+FFFD,
// everything else as it is.
std::string ReplaceUnwritable(std::string_view text);

// Text as every XML reader gives it: line breaks as written (CR LF or a lone
// CR) read as LF, then the five entities and character references (&#N;
// &#xN;) resolved to UTF-8, NUL and the other controls included. A reference
// to no character (a surrogate, a number past U+10FFFF) and any other
// entity stay as written; an "&" without a following ";" ends the resolution
// and the rest is kept as it is.
std::string UnescapeText(std::string_view text);
// An attribute value as readers give it: each line break (CR LF as one), tab
// and LF written as it is reads as a blank; then references are resolved as
// in text.
std::string UnescapeAttribute(std::string_view value);
// Line breaks written as CR LF or a lone CR read as LF; nothing else changes.
std::string NormalizeLineBreaks(std::string_view text);

}  // namespace xml
