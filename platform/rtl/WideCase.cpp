#include "platform/rtl/WideCase.h"

#include <locale.h>
#include <wctype.h>

#include "platform/rtl/Strings.h"

namespace rtl {
namespace {

// The C library's case tables for Unicode, independent of the user's locale.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return locale;
}


void AppendCodePoint(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
    return;
  }
  c -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

template <class Map>
std::u16string MapCase(std::u16string_view text, Map map) {
  std::u16string out;
  out.reserve(text.size());
  const locale_t locale = UnicodeLocale();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      const char32_t c = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      AppendCodePoint(out, locale ? static_cast<char32_t>(map(static_cast<wint_t>(c), locale)) : c);
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit) || !locale) {
      out.push_back(unit);
    } else {
      const auto mapped = static_cast<char32_t>(map(static_cast<wint_t>(unit), locale));
      AppendCodePoint(out, mapped);
    }
  }
  return out;
}

}  // namespace

std::u16string WideUpperCase(std::u16string_view text) { return MapCase(text, towupper_l); }
std::u16string WideLowerCase(std::u16string_view text) { return MapCase(text, towlower_l); }

}  // namespace rtl
