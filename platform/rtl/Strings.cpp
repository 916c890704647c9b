#include "platform/rtl/Strings.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace rtl {
namespace {

// Code points of the bytes 0x80..0x9F; the five bytes Windows-1252 leaves
// undefined map to the C1 control of the same value, so they round-trip.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t kReplacement = 0xFFFD;

char16_t Cp1252ToCodeUnit(unsigned char c) {
  if (c >= 0x80 && c <= 0x9F) return kCp1252High[c - 0x80];
  return c;
}

bool CodeUnitToCp1252(char16_t u, char& out) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
    out = static_cast<char>(u);
    return true;
  }
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == u) {
      out = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int extra;
  char32_t cp;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return kReplacement;
    cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) return kReplacement;
  return cp;
}

namespace {

// Windows font character sets and the code pages their 8-bit text is in.
struct TCharsetCodePage {
  int Charset;
  const char* CodePage;  // as iconv names it
};

constexpr std::array<TCharsetCodePage, 16> kCharsetCodePages = {{
    {77, "MACINTOSH"}, {128, "CP932"},  {129, "CP949"},  {130, "JOHAB"},  {134, "CP936"},  {136, "CP950"},
    {161, "CP1253"},   {162, "CP1254"}, {163, "CP1258"}, {177, "CP1255"}, {178, "CP1256"}, {186, "CP1257"},
    {204, "CP1251"},   {222, "CP874"},  {238, "CP1250"}, {255, "CP850"},
}};

const char* CodePageOfCharset(int charset) {
  for (const auto& entry : kCharsetCodePages)
    if (entry.Charset == charset) return entry.CodePage;
  return nullptr;
}

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// XML's and MIME's names of character sets: a letter, then letters, digits,
// ".", "_" and "-". Anything else (such as iconv's "//TRANSLIT" suffixes) is
// no name.
bool IsCodePageName(std::string_view name) {
  const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (name.empty() || !isLetter(name.front())) return false;
  for (const char c : name) {
    if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-') return false;
  }
  return true;
}

// One iconv conversion descriptor, closed on every path.
class TIconv {
public:
  TIconv(std::string_view to, std::string_view from) {
    const std::string_view named = to == "UTF-8" ? from : to;
    if (IsCodePageName(named)) Handle = iconv_open(std::string(to).c_str(), std::string(from).c_str());
  }
  ~TIconv() {
    if (IsOpen()) iconv_close(Handle);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  bool IsOpen() const { return Handle != kClosed; }
  // Raises EConvertError "Unknown character set "%s"" unless open.
  TIconv& Require(std::string_view codePage) {
    if (!IsOpen()) throw EConvertError(Format("Unknown character set \"%s\"", codePage));
    return *this;
  }

  // Converts the whole text. At a sequence that cannot be converted,
  // onFailure(out, rest) may raise; else out gets U+FFFD and conversion goes
  // on after the sequence's first byte.
  template <class OnFailure>
  std::string Convert(std::string_view text, OnFailure&& onFailure) {
    std::string out;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
      if (Step(&in, &inLeft, out) || errno == E2BIG) continue;
      onFailure(std::string_view(in, inLeft));
      out += kReplacementUtf8;
      ++in;
      --inLeft;
      iconv(Handle, nullptr, nullptr, nullptr, nullptr);
    }
    Step(nullptr, nullptr, out);  // characters a stateful code page still holds
    return out;
  }

private:
  static inline const auto kClosed = reinterpret_cast<iconv_t>(-1);

  // One call of iconv into a small buffer appended to out; false on an error.
  bool Step(char** in, std::size_t* inLeft, std::string& out) {
    std::array<char, 256> buffer;
    char* next = buffer.data();
    std::size_t left = buffer.size();
    const std::size_t result = iconv(Handle, in, inLeft, &next, &left);
    out.append(buffer.data(), static_cast<std::size_t>(next - buffer.data()));
    return result != static_cast<std::size_t>(-1);
  }

  iconv_t Handle = kClosed;
};

// Length of the UTF-8 sequence that starts with the byte (1 for a stray byte).
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::u16string Cp1252ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (const char c : text) out += Cp1252ToCodeUnit(static_cast<unsigned char>(c));
  return out;
}

std::string Utf16ToCp1252(std::u16string_view text, bool* lossy) {
  std::string out;
  out.reserve(text.size());
  bool lost = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c;
    if (CodeUnitToCp1252(text[i], c)) {
      out += c;
      continue;
    }
    lost = true;
    out += '?';
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
  }
  if (lossy) *lossy = lost;
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) AppendUtf16(out, DecodeUtf8(text, i));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (IsHighSurrogate(cp) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(cp) || IsLowSurrogate(cp)) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view text) { return Utf16ToUtf8(Cp1252ToUtf16(text)); }

std::string Utf8ToCp1252(std::string_view text, bool* lossy) { return Utf16ToCp1252(Utf8ToUtf16(text), lossy); }

std::string CharsetToUtf8(std::string_view text, int charset) {
  const char* codePage = CodePageOfCharset(charset);
  if (codePage == nullptr || !IsKnownCodePage(codePage)) return Cp1252ToUtf8(text);
  return CodePageToUtf8(text, codePage);
}

bool IsKnownCodePage(std::string_view codePage) { return TIconv("UTF-8", codePage).IsOpen(); }

std::string CodePageToUtf8(std::string_view text, std::string_view codePage) {
  return TIconv("UTF-8", codePage).Require(codePage).Convert(text, [](std::string_view) {});
}

std::string Utf8ToCodePage(std::string_view utf8, std::string_view codePage) {
  return TIconv(codePage, "UTF-8").Require(codePage).Convert(utf8, [codePage](std::string_view rest) {
    const std::size_t length = std::min(rest.size(), Utf8SequenceLength(static_cast<unsigned char>(rest.front())));
    throw EConvertError(Format("Character not representable in %s: \"%s\"", codePage, rest.substr(0, length)));
  });
}

std::string Trim(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) < 33) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) < 33) --last;
  return std::string(text.substr(first, last - first));
}

}  // namespace rtl
