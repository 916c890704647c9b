#pragma once
// The five XML entities and character references.

#include <string>
#include <string_view>

namespace xml {

// Replaces & < > ' " by &amp; &lt; &gt; &apos; &quot;.
std::string EscapeText(std::string_view text);

// Resolves the five entities and character references (&#N; &#xN;) to UTF-8.
// A reference to a code point XML does not allow (such as 0, a surrogate or
// U+FFFE) and any other entity stay as written; an "&" without a following
// ";" ends the resolution and the rest is kept as it is.
std::string UnescapeText(std::string_view text);

}  // namespace xml
