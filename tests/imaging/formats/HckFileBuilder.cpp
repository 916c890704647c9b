#include "tests/imaging/formats/HckFileBuilder.h"

#include <numeric>

namespace hcktest {
namespace {

// Frequency-class block over a table in which every byte value stands at
// its own position: class 0 for 0, class 1 for 1-2, class 2 for 3-18,
// class 3 for 19-255.
Bytes FixedTableBlock(const Bytes& input) {
  const std::size_t n = input.size();
  Bytes classes(n / 4 + 1, 0), class3, nibbles, bits;
  std::size_t nibbleCount = 0, bitCount = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t v = input[i];
    const int cls = v == 0 ? 0 : v <= 2 ? 1 : v <= 18 ? 2 : 3;
    classes[i / 4] |= static_cast<std::uint8_t>(cls << (2 * (i % 4)));
    if (cls == 3) {
      class3.push_back(static_cast<std::uint8_t>(v - 19));
    } else if (cls == 2) {
      if (nibbleCount % 2 == 0) nibbles.push_back(0);
      nibbles.back() |= static_cast<std::uint8_t>((v - 3) << (4 * (nibbleCount++ % 2)));
    } else if (cls == 1) {
      if (bitCount % 8 == 0) bits.push_back(0);
      bits.back() |= static_cast<std::uint8_t>((v - 1) << (bitCount++ % 8));
    }
  }
  nibbles.resize(nibbleCount / 2 + 1, 0);
  bits.resize(bitCount / 8 + 1, 0);
  Bytes table(256);
  std::iota(table.begin(), table.end(), 0);
  const std::size_t classAt = 13 + table.size();
  const std::size_t nibbleAt = classAt + classes.size() + class3.size();
  const std::size_t bitAt = nibbleAt + nibbles.size();
  Bytes block;
  Put32(block, static_cast<std::uint32_t>(n));
  Put32(block, static_cast<std::uint32_t>(bitAt));
  Put32(block, static_cast<std::uint32_t>(nibbleAt));
  block.push_back(255);
  return Concat({block, table, classes, class3, nibbles, bits});
}

Bytes LiteralRecords(const Bytes& input) {
  Bytes out;
  for (std::size_t at = 0; at < input.size(); at += 127) {
    const std::size_t n = std::min<std::size_t>(127, input.size() - at);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), input.begin() + static_cast<std::ptrdiff_t>(at),
               input.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  return out;
}

Bytes DeltaEncoded(const Bytes& input) {
  Bytes out(input.size());
  std::uint8_t previous = 0;
  for (std::size_t i = 0; i < input.size(); ++i) {
    out[i] = static_cast<std::uint8_t>(input[i] - previous);
    previous = input[i];
  }
  return out;
}

}  // namespace

void Put32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

Bytes Header(const THeaderFields& f) {
  Bytes out(f.Signature.begin(), f.Signature.end());
  for (std::int32_t field : {f.Width, f.Height, f.Version}) Put32(out, static_cast<std::uint32_t>(field));
  out.insert(out.end(), {f.Alpha, f.Red, f.Green, f.Blue, f.Grey, f.Compression, 0, 0});
  return out;
}

Bytes BitPlane(const std::vector<bool>& pixels, bool padBits) {
  Bytes out((pixels.size() + 7) / 8, 0);
  for (std::size_t i = 0; i < out.size() * 8; ++i)
    if (i < pixels.size() ? pixels[i] : padBits) out[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
  return out;
}

Bytes ChainPackedByHand(const Bytes& raw) { return FixedTableBlock(LiteralRecords(FixedTableBlock(DeltaEncoded(raw)))); }

Bytes PackedPixelData(const Bytes& raw, std::int64_t statedRawLength) {
  const Bytes packed = ChainPackedByHand(raw);
  Bytes out;
  Put32(out, static_cast<std::uint32_t>(statedRawLength < 0 ? static_cast<std::int64_t>(raw.size()) : statedRawLength));
  Put32(out, static_cast<std::uint32_t>(packed.size()));
  return Concat({out, packed});
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace hcktest
