// Drawing a 2000 x 1000 picture turned by 30 degrees onto a page with
// bilinear samples, timed against pixman's affine bilinear transform
// composited OVER the same page in the same run. Two rows: both sides with
// one sample a pixel (the sampler's oversampling set to 1), the same work;
// and ours as the program runs it, with 2 x 2 samples a pixel (the
// sampler's default), at a higher quality than pixman's one. The quality of
// each side is measured on a band of rows across the middle of the page
// against the exact picture: the bilinear picture averaged over each
// pixel's area. Goal: ratio at most 2.0.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/common/Comparison.h"
#include "document/render/MapSampler.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

constexpr int kSourceWidth = 2000, kSourceHeight = 1000;
// The turned picture's bounding box: 2000 cos 30 + 1000 sin 30 by 2000 sin 30 + 1000 cos 30.
constexpr int kTargetWidth = 2240, kTargetHeight = 1872;
constexpr double kAngle = 30;

// An opaque label-like picture: gradients with sharp-edged marks.
void FillPicture(TCustomBitmap32& picture) {
  std::mt19937 rng(5);
  picture.SetSize(kSourceWidth, kSourceHeight);
  for (int y = 0; y < kSourceHeight; ++y)
    for (int x = 0; x < kSourceWidth; ++x) {
      const TColor32 smooth = 0xFF000000u | (x * 255 / kSourceWidth) << 16 | (y * 255 / kSourceHeight) << 8 | ((x + y) & 255);
      picture.SetPixel(x, y, (x / 9 + y / 13) % 11 == 0 ? rng() | 0xFF000000u : smooth);
    }
}

TdocTransform PictureToPage() {
  TdocTransform t;
  t.Rotate(kAngle, kSourceWidth / 2.0, kSourceHeight / 2.0);
  t.Translate((kTargetWidth - kSourceWidth) / 2.0, (kTargetHeight - kSourceHeight) / 2.0);
  return t;
}

pixman_transform_t PixmanTransform(const TdocTransform& pageToPicture) {
  const TdocTransform& m = pageToPicture;
  return {{{pixman_double_to_fixed(m.a), pixman_double_to_fixed(m.c), pixman_double_to_fixed(m.e)},
           {pixman_double_to_fixed(m.b), pixman_double_to_fixed(m.d), pixman_double_to_fixed(m.f)},
           {0, 0, pixman_fixed_1}}};
}

// ---- quality

// The band of page rows measured: across the middle, the picture's edges
// and inside.
constexpr int kFirstRow = kTargetHeight / 2 - 24, kRows = 48;

// A channel of the source picture, premultiplied, bilinear between pixel
// centres, transparent outside.
double Bilinear(const TCustomBitmap32& picture, double x, double y, int shift) {
  const double u = x - 0.5, v = y - 0.5;
  const double left = std::floor(u), top = std::floor(v), fx = u - left, fy = v - top;
  const auto at = [&](double px, double py) -> double {
    if (px < 0 || py < 0 || px >= kSourceWidth || py >= kSourceHeight) return 0;
    const TColor32 c = picture.GetPixel(static_cast<int>(px), static_cast<int>(py));
    return (c >> shift & 0xFF) * (c >> 24) / 255.0;
  };
  return (at(left, top) * (1 - fx) + at(left + 1, top) * fx) * (1 - fy) +
         (at(left, top + 1) * (1 - fx) + at(left + 1, top + 1) * fx) * fy;
}

// Each measured pixel's red, green and blue (levels of 255) of the picture
// averaged over the pixel by 8 x 8 samples, OVER white.
std::vector<double> ExactBand(const TCustomBitmap32& picture, const TdocTransform& pageToPicture) {
  constexpr int n = 8;
  std::vector<double> band;
  band.reserve(std::size_t{kTargetWidth} * kRows * 3);
  const TdocTransform& m = pageToPicture;
  for (int y = kFirstRow; y < kFirstRow + kRows; ++y)
    for (int x = 0; x < kTargetWidth; ++x) {
      double channels[4] = {0, 0, 0, 0};  // blue, green, red, alpha
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
          const double px = x + (i + 0.5) / n, py = y + (j + 0.5) / n;
          const double sx = m.a * px + m.c * py + m.e, sy = m.b * px + m.d * py + m.f;
          for (int k = 0; k < 4; ++k) channels[k] += Bilinear(picture, sx, sy, 8 * k) / (n * n);
        }
      for (int k = 2; k >= 0; --k) band.push_back(channels[k] + 255 - channels[3]);
    }
  return band;
}

// Root mean square difference over the band's channels, in levels of 255.
template <class Pixel>
double BandError(const std::vector<double>& exact, Pixel pixel) {
  double squares = 0;
  std::size_t i = 0;
  for (int y = kFirstRow; y < kFirstRow + kRows; ++y)
    for (int x = 0; x < kTargetWidth; ++x) {
      const std::uint32_t c = pixel(x, y);
      for (const int shift : {16, 8, 0}) {
        const double difference = (c >> shift & 0xFF) - exact[i++];
        squares += difference * difference;
      }
    }
  return std::sqrt(squares / static_cast<double>(exact.size()));
}

// ---- timing

void RotatePicture(benchmark::State& state) {
  imaging::StartUp();
  const int oversampling = static_cast<int>(state.range(0));

  TCustomBitmap32 picture, page;
  FillPicture(picture);
  page.SetSize(kTargetWidth, kTargetHeight);
  page.Clear(clWhite32);
  std::vector<std::uint32_t> pixmanPage(std::size_t{kTargetWidth} * kTargetHeight, clWhite32);

  TdocTransform forward = PictureToPage();
  TdocMapSampler sampler;
  sampler.SetOversampling(oversampling);
  sampler.SetSource(&picture);
  sampler.SetTarget(&page);
  sampler.SetTransform(&forward);
  const TFloatRect whole{0, 0, kSourceWidth, kSourceHeight};

  // Opaque pixels are the same premultiplied.
  pixman_image_t* source =
      pixman_image_create_bits(PIXMAN_a8r8g8b8, kSourceWidth, kSourceHeight, picture.GetBits(), kSourceWidth * 4);
  pixman_image_t* dest =
      pixman_image_create_bits(PIXMAN_a8r8g8b8, kTargetWidth, kTargetHeight, pixmanPage.data(), kTargetWidth * 4);
  TdocTransform inverse = forward;
  inverse.Invert();
  const pixman_transform_t transform = PixmanTransform(inverse);
  pixman_image_set_transform(source, &transform);
  pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(source, PIXMAN_REPEAT_NONE);
  const auto drawPixman = [&] {
    pixman_image_composite32(PIXMAN_OP_OVER, source, nullptr, dest, 0, 0, 0, 0, 0, 0, kTargetWidth, kTargetHeight);
  };

  // Quality: one drawing of each side onto a white page.
  sampler.Render(whole);
  drawPixman();
  const std::vector<double> exact = ExactBand(picture, inverse);
  const bench::TErrors errors{
      BandError(exact, [&](int x, int y) { return page.GetPixel(x, y); }),
      BandError(exact, [&](int x, int y) { return pixmanPage[std::size_t{kTargetWidth} * y + x]; }),
      "rms levels of 255 from the picture averaged over each pixel, " + std::to_string(kRows) + " middle rows"};

  bench::TPairTimer timer(state);
  for (auto _ : state) {
    timer.Iteration([&] { sampler.Render(whole); }, drawPixman);
    benchmark::DoNotOptimize(page.GetBits()[kTargetWidth * (kTargetHeight / 2) + kTargetWidth / 2]);
    benchmark::DoNotOptimize(pixmanPage[std::size_t{kTargetWidth} * (kTargetHeight / 2) + kTargetWidth / 2]);
  }
  pixman_image_unref(source);
  pixman_image_unref(dest);

  const std::string pixmanSide = std::string("pixman ") + pixman_version_string() +
                                 " OVER a8r8g8b8, BILINEAR, REPEAT_NONE, one sample a pixel";
  if (oversampling == 1)
    timer.Report("turn 2000x1000 picture 30 degrees, one sample a pixel on both sides",
                 {"TdocMapSampler::Render, bilinear, SetOversampling(1): one sample a pixel", pixmanSide}, errors);
  else
    timer.Report("turn 2000x1000 picture 30 degrees, ours at higher quality (2 x 2 samples)",
                 {"TdocMapSampler::Render, bilinear, its default 2 x 2 samples a pixel (as the program runs it)",
                  pixmanSide},
                 errors);
}

}  // namespace

BENCHMARK(RotatePicture)->Arg(1)->Arg(2)->ArgName("oversampling")->UseManualTime()->Unit(benchmark::kMillisecond);
