#include "xml/XmlEscape.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"

namespace xml {
namespace {

constexpr std::array<std::string_view, 5> kEntityNames = {"amp", "lt", "gt", "apos", "quot"};
constexpr std::string_view kEntityChars = "&<>'\"";

// What text and attribute values escape, and how.
constexpr std::string_view kTextChars = "&<>'\"\r";
constexpr std::array<std::string_view, 6> kTextReferences = {"&amp;", "&lt;", "&gt;", "&apos;", "&quot;", "&#13;"};
constexpr std::string_view kAttributeChars = "&<>'\"\r\t\n";
constexpr std::array<std::string_view, 8> kAttributeReferences = {"&amp;", "&lt;",  "&gt;",  "&apos;",
                                                                  "&quot;", "&#13;", "&#9;", "&#10;"};

// The characters XML 1.0 allows in a document.
constexpr bool IsXmlChar(std::uint32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
         (cp >= 0x10000 && cp <= 0x10FFFF);
}

// Every code point Unicode defines a character for: what a character
// reference may stand for.
constexpr bool IsScalarValue(std::uint32_t cp) { return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF); }

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

// The code point of "#N" or "#xN", or false when it is no such reference.
bool ParseCharReference(std::string_view ref, std::uint32_t& cp) {
  if (ref.size() < 2 || ref[0] != '#') return false;
  int base = 10;
  std::size_t i = 1;
  if (ref[1] == 'x' || ref[1] == 'X') {
    base = 16;
    i = 2;
  }
  if (i >= ref.size()) return false;
  std::uint32_t value = 0;
  for (; i < ref.size(); ++i) {
    const int digit = DigitValue(ref[i], base);
    if (digit < 0) return false;
    value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    if (value > 0x10FFFF) return false;
  }
  cp = value;
  return true;
}

void AppendCodePoint(std::string& out, std::uint32_t cp) {
  std::u16string units;
  if (cp < 0x10000) {
    units += static_cast<char16_t>(cp);
  } else {
    units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  }
  out += rtl::Utf16ToUtf8(units);
}

// Appends what the reference between "&" and ";" stands for; false when it
// stays as written.
bool AppendReference(std::string& out, std::string_view ref) {
  for (std::size_t k = 0; k < kEntityNames.size(); ++k) {
    if (ref == kEntityNames[k]) {
      out += kEntityChars[k];
      return true;
    }
  }
  std::uint32_t cp = 0;
  if (!ParseCharReference(ref, cp) || !IsScalarValue(cp)) return false;
  AppendCodePoint(out, cp);
  return true;
}

// U+FFFD, the replacement character.
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// What the escaper does with a byte.
enum class TByteRule : std::uint8_t {
  Keep,       // written as it is
  Reference,  // written as the reference the escaper names for it
  Unwritten,  // a character XML cannot carry raw: written as "&#xN;", or as U+FFFD where no reference can stand
  Sequence    // starts a UTF-8 sequence, which is checked
};

// The rule of every byte and the references of the bytes written as one.
// Without references (a CDATA section) a character XML cannot carry raw is
// written as U+FFFD.
struct TEscaper {
  constexpr TEscaper(std::string_view chars, const std::string_view* references)
      : Chars(chars), References(references) {
    for (int c = 0; c < 256; ++c) {
      if (chars.find(static_cast<char>(c)) != std::string_view::npos) Rules[c] = TByteRule::Reference;
      else if (c >= 0x80) Rules[c] = TByteRule::Sequence;
      else if (!IsXmlChar(static_cast<std::uint32_t>(c))) Rules[c] = TByteRule::Unwritten;
    }
  }
  std::array<TByteRule, 256> Rules{};
  std::string_view Chars;
  const std::string_view* References;
};

constexpr TEscaper kTextEscaper(kTextChars, kTextReferences.data());
constexpr TEscaper kAttributeEscaper(kAttributeChars, kAttributeReferences.data());
constexpr TEscaper kUnwritableEscaper({}, nullptr);

// Each character of text the escaper names is written as its reference, a
// character XML cannot carry raw as "&#xN;" (U+FFFD without references), a
// byte that is no UTF-8 as U+FFFD.
std::string Escape(std::string_view text, const TEscaper& escaper) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  auto flush = [&](std::size_t at, std::size_t next) {
    out.append(text.substr(start, at - start));
    start = next;
  };
  auto unwritten = [&](std::size_t at, std::size_t next, std::uint32_t cp) {
    flush(at, next);
    if (escaper.References) out += rtl::Format("&#x%X;", cp);
    else out.append(kReplacementUtf8);
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    switch (escaper.Rules[c]) {
      case TByteRule::Keep:
        ++i;
        break;
      case TByteRule::Reference:
        flush(i, i + 1);
        out.append(escaper.References[escaper.Chars.find(static_cast<char>(c))]);
        ++i;
        break;
      case TByteRule::Unwritten:
        unwritten(i, i + 1, c);
        ++i;
        break;
      case TByteRule::Sequence: {
        const std::size_t at = i;
        const char32_t cp = rtl::DecodeUtf8(text, i);
        // A malformed sequence decodes as U+FFFD, which is then written as one.
        if (cp == 0xFFFD) {
          flush(at, i);
          out.append(kReplacementUtf8);
        } else if (!IsXmlChar(cp)) {
          unwritten(at, i, cp);
        }
        break;
      }
    }
  }
  out.append(text.substr(start));
  return out;
}

// Resolves the entities and character references.
std::string ResolveReferences(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto* amp = static_cast<const char*>(std::memchr(text.data() + pos, '&', text.size() - pos));
    if (!amp) break;
    const std::size_t ampPos = static_cast<std::size_t>(amp - text.data());
    const std::size_t semi = text.find(';', ampPos + 1);
    if (semi == std::string_view::npos) break;
    out.append(text.substr(pos, ampPos - pos));
    if (!AppendReference(out, text.substr(ampPos + 1, semi - ampPos - 1)))
      out.append(text.substr(ampPos, semi + 1 - ampPos));
    pos = semi + 1;
  }
  out.append(text.substr(pos));
  return out;
}

// What text written as it is reads as: CR LF and a lone CR become breakTo,
// and so do tab and LF when blanksToo.
std::string ReadAsWritten(std::string_view text, char breakTo, bool blanksToo) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += breakTo;
    } else {
      out += blanksToo && (c == '\t' || c == '\n') ? breakTo : c;
    }
  }
  return out;
}

}  // namespace

std::string EscapeText(std::string_view text) { return Escape(text, kTextEscaper); }

std::string EscapeAttribute(std::string_view value) {
  return Escape(value, kAttributeEscaper);
}

std::string ReplaceUnwritable(std::string_view text) { return Escape(text, kUnwritableEscaper); }

std::string NormalizeLineBreaks(std::string_view text) {
  return text.find('\r') == std::string_view::npos ? std::string(text) : ReadAsWritten(text, '\n', false);
}

std::string UnescapeAttribute(std::string_view value) {
  return ResolveReferences(ReadAsWritten(value, ' ', true));
}

std::string UnescapeText(std::string_view text) { return ResolveReferences(NormalizeLineBreaks(text)); }

}  // namespace xml
