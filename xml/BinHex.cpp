#include "xml/BinHex.h"

#include <cstdint>

#include "xml/BinaryText.h"
#include "xml/NodeData.h"

namespace xml {
namespace {
int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

std::string EncodeBinHex(const void* data, std::size_t size) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::string text(size * 2, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    text[2 * i] = kDigits[bytes[i] >> 4];
    text[2 * i + 1] = kDigits[bytes[i] & 15];
  }
  return text;
}

void DecodeBinHex(std::string_view text, void* out, std::size_t size) {
  auto* bytes = static_cast<std::uint8_t*>(out);
  std::size_t written = 0;
  int high = -1;
  for (std::size_t i = 0; i < text.size() && written < size; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (detail::IsSpaceChar(static_cast<char>(c))) continue;
    const int digit = HexValue(c);
    if (digit < 0) detail::ThrowInvalidCharacter();
    if (high < 0) {
      high = digit;
    } else {
      bytes[written++] = static_cast<std::uint8_t>(high << 4 | digit);
      high = -1;
    }
  }
  if (written < size) detail::ThrowMissingData();
}

std::size_t BinHexDecodedSize(std::string_view text) { return detail::CountNonSpace(text) / 2; }

}  // namespace xml
