// A run of samples a whole source pixel apart must give exactly the values
// of sampling each position alone, everywhere: inside the clip rectangle,
// across its edges, and far outside where only the outer colour is seen.

#include "document/render/SampleSource.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::uint64_t Packed(__m128i sample) {
  std::uint64_t lanes = 0;
  _mm_storel_epi64(reinterpret_cast<__m128i*>(&lanes), sample);
  return lanes;
}

struct TRandomSource {
  explicit TRandomSource(std::mt19937& random) {
    const int width = 1 + int(random() % 40), height = 1 + int(random() % 12);
    Bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) Bitmap.SetPixel(x, y, random());
    const int left = int(random() % width), top = int(random() % height);
    Bitmap.SetClipRect({left, top, left + 1 + int(random() % (width - left)), top + 1 + int(random() % (height - top))});
    Bitmap.OuterColor = random() % 3 == 0 ? clTransparent32 : random();
  }
  TCustomBitmap32 Bitmap;
};

TEST(SampleSourceTest, RunsEqualSamplesTakenOneByOne) {
  std::mt19937 random(14);
  for (int trial = 0; trial < 3000; ++trial) {
    TRandomSource source(random);
    document::TSampleSource view(source.Bitmap);
    // Starts from well left of and above the bitmap to beyond its far edges,
    // at every fraction.
    const auto x = std::int32_t(random() % (80 * 256)) - 20 * 256;
    const auto y = std::int32_t(random() % (24 * 256)) - 6 * 256;
    const auto count = std::int32_t(1 + random() % 60);
    std::vector<std::uint64_t> run(static_cast<std::size_t>(count)), single(run.size());
    for (std::size_t i = 0; i < run.size(); ++i) run[i] = single[i] = random() & 0x00FF00FF00FF00FFull;
    view.AddRun(x, y, count, run.data());
    for (std::int32_t i = 0; i < count; ++i) single[std::size_t(i)] += Packed(view.Sample(x + 256 * i, y));
    ASSERT_EQ(run, single) << "trial " << trial << " at " << x << "," << y << " count " << count;
  }
}

}  // namespace
