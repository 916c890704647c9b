#include "xml/Base64.h"

#include <array>
#include <cstdint>

#include "xml/BinaryText.h"
#include "xml/NodeData.h"
#include "xml/XmlTypes.h"

namespace xml {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint32_t kInvalid = 0x01000000;

// One table per position in a group of four characters, each holding the
// character's six bits already shifted into place; characters outside the
// alphabet set a bit above the 24 data bits, so one test per group finds them.
struct DecodeTables {
  std::array<std::uint32_t, 256> Shifted[4];
};

constexpr DecodeTables MakeTables() {
  DecodeTables t{};
  for (int position = 0; position < 4; ++position) {
    for (auto& v : t.Shifted[position]) v = kInvalid;
    for (std::uint32_t i = 0; i < 64; ++i)
      t.Shifted[position][static_cast<unsigned char>(kAlphabet[i])] = i << (18 - 6 * position);
  }
  return t;
}

constexpr DecodeTables kTables = MakeTables();

std::uint32_t SixBits(unsigned char c) {
  const std::uint32_t v = kTables.Shifted[3][c];
  if (v == kInvalid) detail::ThrowInvalidCharacter();
  return v;
}

// Decodes text into at most size bytes, counting every byte the text holds.
class Decoder {
public:
  Decoder(std::string_view text, std::uint8_t* out, std::size_t size)
      : Text(reinterpret_cast<const unsigned char*>(text.data())), Length(text.size()), Out(out), Size(size) {}

  void Run() {
    while (true) {
      DecodeFastGroups();
      if (!DecodeOneGroup()) break;
    }
    if (Produced < Size) detail::ThrowMissingData();
  }

private:
  // Groups of four alphabet characters while there is room for their bytes.
  void DecodeFastGroups() {
    const auto& t = kTables.Shifted;
    while (!Padded && Pos + 4 <= Length && Produced + 3 <= Size) {
      const std::uint32_t x = t[0][Text[Pos]] | t[1][Text[Pos + 1]] | t[2][Text[Pos + 2]] | t[3][Text[Pos + 3]];
      if (x >= kInvalid) return;
      Out[Produced] = static_cast<std::uint8_t>(x >> 16);
      Out[Produced + 1] = static_cast<std::uint8_t>(x >> 8);
      Out[Produced + 2] = static_cast<std::uint8_t>(x);
      Pos += 4;
      Produced += 3;
    }
  }

  // One group with white space, padding, or past the room; false at the end.
  bool DecodeOneGroup() {
    unsigned char group[4];
    int count = 0;
    for (; Pos < Length && count < 4; ++Pos) {
      if (!detail::IsSpaceChar(static_cast<char>(Text[Pos]))) group[count++] = Text[Pos];
    }
    if (count == 0) return false;
    if (count < 4) throw EXmlError("Error while calculating streamlength");
    if (Padded) detail::ThrowInvalidCharacter();
    int bytes = 3;
    if (group[3] == '=') {
      bytes = group[2] == '=' ? 1 : 2;
      Padded = true;
    }
    std::uint32_t x = SixBits(group[0]) << 18 | SixBits(group[1]) << 12;
    if (bytes >= 2) x |= SixBits(group[2]) << 6;
    if (bytes == 3) x |= SixBits(group[3]);
    for (int i = 0; i < bytes; ++i, ++Produced) {
      if (Produced < Size) Out[Produced] = static_cast<std::uint8_t>(x >> (16 - 8 * i));
    }
    return true;
  }

  const unsigned char* Text;
  std::size_t Length;
  std::uint8_t* Out;
  std::size_t Size;
  std::size_t Pos = 0;
  std::size_t Produced = 0;
  bool Padded = false;
};

}  // namespace

std::string EncodeBase64(const void* data, std::size_t size) {
  const auto* in = static_cast<const std::uint8_t*>(data);
  std::string text((size + 2) / 3 * 4, '=');
  char* out = text.data();
  std::size_t i = 0;
  for (; i + 3 <= size; i += 3, out += 4) {
    const std::uint32_t x = std::uint32_t{in[i]} << 16 | std::uint32_t{in[i + 1]} << 8 | in[i + 2];
    out[0] = kAlphabet[x >> 18];
    out[1] = kAlphabet[(x >> 12) & 63];
    out[2] = kAlphabet[(x >> 6) & 63];
    out[3] = kAlphabet[x & 63];
  }
  if (i < size) {
    const bool two = i + 1 < size;
    const std::uint32_t x = std::uint32_t{in[i]} << 16 | (two ? std::uint32_t{in[i + 1]} << 8 : 0);
    out[0] = kAlphabet[x >> 18];
    out[1] = kAlphabet[(x >> 12) & 63];
    if (two) out[2] = kAlphabet[(x >> 6) & 63];
  }
  return text;
}

void DecodeBase64(std::string_view text, void* out, std::size_t size) {
  Decoder(text, static_cast<std::uint8_t*>(out), size).Run();
}

std::size_t Base64DecodedSize(std::string_view text) {
  const std::size_t length = detail::CountNonSpace(text);
  std::size_t padding = 0;
  for (std::size_t i = text.size(); i > 0 && padding < 2; --i) {
    const auto c = static_cast<unsigned char>(text[i - 1]);
    if (detail::IsSpaceChar(static_cast<char>(c))) continue;
    if (c != '=') break;
    ++padding;
  }
  const std::size_t whole = length / 4 * 3;
  return whole >= padding ? whole - padding : 0;
}

}  // namespace xml
