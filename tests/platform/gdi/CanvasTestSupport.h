#pragma once
// Helpers shared by the canvas tests: a surface filled with a known pixel,
// and the sets of pixels that hold a given value or changed.

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

#include "platform/gdi/Canvas.h"

namespace gdi_test {

using PixelSet = std::set<std::pair<int, int>>;  // (x, y)

constexpr std::uint32_t kBackground = 0xFF102030;

class TTestSurface {
public:
  TTestSurface(int width, int height, std::uint32_t fill = kBackground) : Memory(width, height), Canvas(Memory.Surface()) {
    const TPixelSurface s = Memory.Surface();
    std::fill(s.Bits, s.Bits + width * height, fill);
  }
  TPixelSurface Surface() { return Memory.Surface(); }
  std::uint32_t At(int x, int y) { return Memory.Surface().Pixel(x, y); }
  PixelSet Holding(std::uint32_t value) { return Where(value, true); }
  PixelSet Differing(std::uint32_t value) { return Where(value, false); }

private:
  PixelSet Where(std::uint32_t value, bool equal) {
    PixelSet set;
    const TPixelSurface s = Memory.Surface();
    for (int y = 0; y < s.Height; ++y)
      for (int x = 0; x < s.Width; ++x)
        if ((s.Pixel(x, y) == value) == equal) set.insert({x, y});
    return set;
  }

  TMemorySurface Memory;

public:
  TCanvas Canvas;
};

inline PixelSet Block(int x1, int y1, int x2, int y2) {  // inclusive corners
  PixelSet set;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) set.insert({x, y});
  return set;
}

inline PixelSet Union(PixelSet a, const PixelSet& b) {
  a.insert(b.begin(), b.end());
  return a;
}

}  // namespace gdi_test
