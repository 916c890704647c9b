#pragma once
// Progressive JPEG files built byte by byte: a flat grey picture of any size
// whose AC scans carry nothing but end-of-band runs, so that a few bytes per
// scan make the decoder pass over every block again. Repeated first scans
// or repeated refinement scans, as many as asked.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace jpegtest {

enum class TBombScans { First, Refinement };

namespace scanbomb {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

inline void Segment(Bytes& out, std::uint8_t code, const Bytes& payload) {
  out.push_back(0xFF);
  out.push_back(code);
  Put16(out, static_cast<int>(payload.size()) + 2);
  out.insert(out.end(), payload.begin(), payload.end());
}

// Entropy-coded bits, most significant first, with 0xFF stuffed and the
// last byte padded with ones.
class TBitSink {
public:
  void Put(unsigned value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      Byte = static_cast<std::uint8_t>(Byte << 1 | (value >> i & 1));
      if (++Count == 8) Flush();
    }
  }
  Bytes Finish() {
    if (Count > 0) Put((1u << (8 - Count)) - 1, 8 - Count);
    return std::move(Out);
  }

private:
  void Flush() {
    Out.push_back(Byte);
    if (Byte == 0xFF) Out.push_back(0x00);
    Byte = 0;
    Count = 0;
  }
  Bytes Out;
  std::uint8_t Byte = 0;
  int Count = 0;
};

// The AC table holds the fifteen end-of-band run symbols r << 4 (runs of
// 2^r plus r extra bits), each coded by its r in four bits.
inline Bytes EndOfBandRuns(long blocks) {
  TBitSink sink;
  while (blocks > 0) {
    const long run = std::min(blocks, 32767L);
    int r = 0;
    while ((2L << r) <= run) ++r;
    sink.Put(static_cast<unsigned>(r), 4);
    sink.Put(static_cast<unsigned>(run - (1L << r)), r);
    blocks -= run;
  }
  return sink.Finish();
}

}  // namespace scanbomb

// scans AC scans of the coefficients start..end.
inline std::vector<std::uint8_t> ScanBomb(int width, int height, int scans, TBombScans kind, int start = 1,
                                          int end = 63) {
  using namespace scanbomb;
  Bytes file = {0xFF, 0xD8};
  Bytes quant = {0x00};
  quant.resize(65, 1);
  Segment(file, 0xDB, quant);
  Bytes frame = {8};
  Put16(frame, height);
  Put16(frame, width);
  frame.insert(frame.end(), {1, 1, 0x11, 0});
  Segment(file, 0xC2, frame);
  Bytes table = {0x10, 0, 0, 0, 15};
  table.resize(17, 0);
  for (int r = 0; r < 15; ++r) table.push_back(static_cast<std::uint8_t>(r << 4));
  Segment(file, 0xC4, table);
  const long blocks = long{(width + 7) / 8} * ((height + 7) / 8);
  const Bytes data = EndOfBandRuns(blocks);
  const std::uint8_t approximation = kind == TBombScans::First ? 0x00 : 0x10;
  for (int i = 0; i < scans; ++i) {
    Segment(file, 0xDA, {1, 1, 0x00, static_cast<std::uint8_t>(start), static_cast<std::uint8_t>(end), approximation});
    file.insert(file.end(), data.begin(), data.end());
  }
  file.insert(file.end(), {0xFF, 0xD9});
  return file;
}

}  // namespace jpegtest
