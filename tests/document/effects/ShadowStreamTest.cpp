// The shadow sweep against the plain passes it replaces (intensities of the
// shifted alpha, BlurIntensityMap, the shadow put under), on random shapes:
// sizes down to one pixel, windows up to a column's length, offsets either
// way up to the whole bitmap, intensities far above 1.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "document/effects/ShadowStream.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/docgraphics/BitmapHelpers.h"

namespace {

std::vector<TColor32> ByThePasses(const std::vector<TColor32>& shape, int width, int height, const TShadowSweep& sweep) {
  const auto n = static_cast<std::int64_t>(shape.size());
  const auto intensity = imaging::AlphaIntensities(sweep.Factor);
  TBitmap32 map;
  map.SetSize(width, height);
  for (std::int64_t k = 0; k < n; ++k) {
    const std::int64_t from = k - sweep.Shift;
    map.GetBits()[k] = from >= 0 && from < n ? intensity[shape[std::size_t(from)] >> 24] : 0;
  }
  imaging::BlurIntensityMap(map, float(sweep.Window));
  std::vector<TColor32> out = shape;
  PutShadowUnder(out.data(), map.GetBits(), out.size(), sweep.Rgb);
  return out;
}

TEST(ShadowStreamTest, TheSweepEqualsThePasses) {
  std::mt19937 random(42);
  TShadowBuffersPtr buffers;  // kept from shape to shape, as the effect keeps it
  int swept = 0;
  for (int round = 0; round < 1500; ++round) {
    const int width = 1 + int(random() % 90), height = 1 + int(random() % 90);
    std::vector<TColor32> shape(std::size_t(width) * std::size_t(height));
    for (TColor32& pixel : shape) {
      const TColor32 alpha = random() % 4 == 0 ? 0 : random() % 3 == 0 ? 255 : random() % 256;
      pixel = alpha << 24 | (random() & 0xFFFFFFu);
    }
    const auto n = static_cast<std::int64_t>(shape.size());
    const float factor = random() % 5 == 0 ? float(random() % 257) : float(random() % 1000) / 500.0f;
    const TShadowSweep sweep{std::int64_t(random() % std::uint64_t(2 * n + 1)) - n, factor, 3 + random() % 40, 0x123456};
    std::vector<TColor32> bitmap = shape;
    if (!DrawShadowSweep(bitmap.data(), std::size_t(width), std::size_t(height), sweep, buffers)) continue;
    ++swept;
    ASSERT_EQ(bitmap, ByThePasses(shape, width, height, sweep))
        << width << " x " << height << " window " << sweep.Window << " shift " << sweep.Shift << " factor " << factor;
  }
  EXPECT_GT(swept, 300) << "most shapes take the sweep";
}

}  // namespace
