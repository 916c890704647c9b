#pragma once
// The five XML entities and character references.

#include <string>
#include <string_view>

namespace xml {

// Replaces & < > ' " by &amp; &lt; &gt; &apos; &quot;, and CR by "&#13;":
// every reader turns a CR written as it is into LF, so a text with CR LF line
// breaks would not read back as it was.
//
// XML 1.0 cannot carry some characters at all, not even as references: NUL
// and the other C0 controls but tab, LF and CR, U+FFFE, U+FFFF and unpaired
// surrogates. A reader refuses a file that holds one. Each of them, and each
// byte that is not UTF-8, is written as U+FFFD, the replacement character:
// the file stays readable everywhere, a text keeps its length in UTF-16 units
// (spans that index it still fit) and the loss shows where it happened.
// Everything else is kept.
std::string EscapeText(std::string_view text);
// The same for an attribute value, with tab and LF also written as
// references ("&#9;", "&#10;"): readers turn them into blanks otherwise.
std::string EscapeAttribute(std::string_view value);
// The text with only the characters XML cannot carry replaced, as above: for
// CDATA sections, which cannot hold references.
std::string ReplaceUnwritable(std::string_view text);

// Text as every XML reader gives it: line breaks as written (CR LF or a lone
// CR) read as LF, then the five entities and character references (&#N;
// &#xN;) resolved to UTF-8. A reference to a code point XML does not allow
// (such as 0, a surrogate or U+FFFE) and any other entity stay as written; an
// "&" without a following ";" ends the resolution and the rest is kept as it
// is.
std::string UnescapeText(std::string_view text);
// An attribute value as readers give it: each line break (CR LF as one), tab
// and LF written as it is reads as a blank; then references are resolved as
// in text.
std::string UnescapeAttribute(std::string_view value);
// Line breaks written as CR LF or a lone CR read as LF; nothing else changes.
std::string NormalizeLineBreaks(std::string_view text);

}  // namespace xml
