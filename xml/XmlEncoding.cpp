#include "xml/XmlEncoding.h"

#include <array>
#include <cstring>

#include "platform/rtl/Strings.h"
#include "xml/NodeData.h"

namespace xml::detail {
namespace {

struct Signature {
  std::string_view Bytes;
  TXmlEncoding Encoding;
  bool Bom;
};

using namespace std::string_view_literals;

// Tried in this order; the first match wins.
const std::array<Signature, 15> kSignatures = {{
    {"\x00\x00\xFE\xFF"sv, xeUcs4BE, true},
    {"\xFF\xFE\x00\x00"sv, xeUcs4LE, true},
    {"\x00\x00\xFF\xFE"sv, xeUcs4Order2143, true},
    {"\xFE\xFF\x00\x00"sv, xeUcs4Order3412, true},
    {"\xFE\xFF"sv, xeUtf16BE, true},
    {"\xFF\xFE"sv, xeUtf16LE, true},
    {"\xEF\xBB\xBF"sv, xeUtf8, true},
    {"\x00\x00\x00\x3C"sv, xeUcs4BE, false},
    {"\x3C\x00\x00\x00"sv, xeUcs4LE, false},
    {"\x00\x00\x3C\x00"sv, xeUcs4Order2143, false},
    {"\x00\x3C\x00\x00"sv, xeUcs4Order3412, false},
    {"\x00\x3C\x00\x3F"sv, xeUtf16BE, false},
    {"\x3C\x00\x3F\x00"sv, xeUtf16LE, false},
    {"\x3C\x3F\x78\x6D"sv, xe8Bit, false},
    {"\x4C\x6F\xA7\x94"sv, xeEbcdic, false},
}};

std::size_t SkipSpace(std::string_view text, std::size_t i) {
  while (i < text.size() && IsSpaceChar(text[i])) ++i;
  return i;
}

// Length of the well-formed UTF-8 sequence at text[i], 0 when malformed.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) length = 2;
  else if (b0 >= 0xE0 && b0 <= 0xEF) length = 3, low = b0 == 0xE0 ? 0xA0 : 0x80, high = b0 == 0xED ? 0x9F : 0xBF;
  else if (b0 >= 0xF0 && b0 <= 0xF4) length = 4, low = b0 == 0xF0 ? 0x90 : 0x80, high = b0 == 0xF4 ? 0x8F : 0xBF;
  else return 0;
  if (text.size() - i < length) return 0;
  const auto b1 = static_cast<unsigned char>(text[i + 1]);
  if (b1 < low || b1 > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

// Runs a character-set conversion, its failures reported as XML errors.
template <class Conversion>
std::string AsXmlError(Conversion&& conversion) {
  try {
    return conversion();
  } catch (const EConvertError& e) {
    throw EXmlError(e.GetMessage());
  }
}

}  // namespace

TXmlEncoding DetectEncoding(std::string_view head, std::size_t& bomLength) {
  for (const Signature& s : kSignatures) {
    if (head.substr(0, s.Bytes.size()) == s.Bytes) {
      bomLength = s.Bom ? s.Bytes.size() : 0;
      return s.Encoding;
    }
  }
  bomLength = 0;
  return xe8Bit;
}

void CheckSupported(TXmlEncoding encoding) {
  if ((encoding >= xeUcs4BE && encoding <= xeUcs4Order3412) || encoding > xeUtf16LE)
    throw EXmlError("Unsupported string encoding");
}

std::string_view ByteOrderMark(TXmlEncoding encoding) {
  if (encoding == xeUtf8) return {};
  for (const Signature& s : kSignatures) {
    if (s.Encoding == encoding) return s.Bom ? s.Bytes : std::string_view();
  }
  return {};
}

bool IsUtf16(TXmlEncoding encoding) {
  return encoding == xeUtf16BENoBom || encoding == xeUtf16LENoBom || encoding == xeUtf16BE || encoding == xeUtf16LE;
}

bool IsBigEndian(TXmlEncoding encoding) { return encoding == xeUtf16BENoBom || encoding == xeUtf16BE; }

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  std::u16string units(bytes.size() / 2, u'\0');
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const unsigned first = b[2 * i], second = b[2 * i + 1];
    units[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  }
  if (bytes.size() % 2 != 0) units += u'\xFFFD';
  return rtl::Utf16ToUtf8(units);
}

bool DeclarationUnfinished(std::string_view text) {
  constexpr std::string_view kOpen = "<?xml";
  const std::size_t i = SkipSpace(text, 0);
  const std::string_view start = text.substr(i, kOpen.size() + 1);
  if (start.size() <= kOpen.size()) return kOpen.starts_with(start);
  if (!start.starts_with(kOpen) || !IsSpaceChar(start.back())) return false;
  return text.find("?>", i) == std::string_view::npos;
}

std::string_view DeclaredEncoding(std::string_view text) {
  std::size_t i = SkipSpace(text, 0);
  if (text.substr(i, 5) != "<?xml" || i + 5 >= text.size() || !IsSpaceChar(text[i + 5])) return {};
  const std::size_t end = text.find("?>", i);
  const std::string_view declaration = text.substr(i, end == std::string_view::npos ? text.size() - i : end - i);
  for (std::size_t at = declaration.find("encoding"); at != std::string_view::npos;
       at = declaration.find("encoding", at + 1)) {
    if (!IsSpaceChar(declaration[at - 1])) continue;
    std::size_t k = SkipSpace(declaration, at + 8);
    if (k >= declaration.size() || declaration[k] != '=') continue;
    k = SkipSpace(declaration, k + 1);
    if (k >= declaration.size() || (declaration[k] != '"' && declaration[k] != '\'')) continue;
    const std::size_t close = declaration.find(declaration[k], k + 1);
    if (close == std::string_view::npos) return {};
    return declaration.substr(k + 1, close - k - 1);
  }
  return {};
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    // Eight ASCII bytes at a time: the common case of XML written here.
    while (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + i, 8);
      if (word & 0x8080808080808080ull) break;
      i += 8;
    }
    if (i >= n) break;
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = SequenceLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

bool ReadsDeclarationAsWritten(std::string_view charset) {
  constexpr std::string_view kAscii = "<?xml version encoding=\"'";
  return AsXmlError([&] { return rtl::CodePageToUtf8(kAscii, charset); }) == kAscii;
}

std::string CharsetTextToUtf8(std::string_view bytes, std::string_view charset) {
  return AsXmlError([&] { return rtl::CodePageToUtf8(bytes, charset); });
}

std::string Utf8ToCharsetText(std::string_view utf8, std::string_view charset) {
  if (!charset.empty()) return AsXmlError([&] { return rtl::Utf8ToCodePage(utf8, charset); });
  bool lossy = false;
  std::string bytes = rtl::Utf8ToCp1252(utf8, &lossy);
  if (lossy) throw EXmlError("Character not representable in the 8-bit encoding");
  return bytes;
}

std::string Utf8ToUtf16Bytes(std::string_view utf8, bool bigEndian) {
  const std::u16string units = rtl::Utf8ToUtf16(utf8);
  std::string bytes(units.size() * 2, '\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto high = static_cast<char>(units[i] >> 8), low = static_cast<char>(units[i] & 0xFF);
    bytes[2 * i] = bigEndian ? high : low;
    bytes[2 * i + 1] = bigEndian ? low : high;
  }
  return bytes;
}

}  // namespace xml::detail
