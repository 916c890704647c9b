// Drawing a 2000 x 1000 picture turned by 30 degrees onto a page with
// bilinear samples, timed against pixman's affine bilinear transform
// composited OVER the same page in the same run. Ours runs as the program
// does, with 2 x 2 samples a pixel (the sampler's default), against
// pixman's one. Goal: ratio at most 2.0.
#include <benchmark/benchmark.h>
#include <pixman.h>

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

void RotatePicture(benchmark::State& state) {
  imaging::StartUp();

  TCustomBitmap32 picture, page;
  FillPicture(picture);
  page.SetSize(kTargetWidth, kTargetHeight);
  page.Clear(clWhite32);
  std::vector<std::uint32_t> pixmanPage(std::size_t{kTargetWidth} * kTargetHeight, clWhite32);

  TdocTransform forward = PictureToPage();
  TdocMapSampler sampler;  // with the program's own sampling
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

  bench::TPairTimer timer(state);
  for (auto _ : state) {
    timer.Iteration([&] { sampler.Render(whole); },
                    [&] {
                      pixman_image_composite32(PIXMAN_OP_OVER, source, nullptr, dest, 0, 0, 0, 0, 0, 0, kTargetWidth,
                                               kTargetHeight);
                    });
    benchmark::DoNotOptimize(page.GetBits()[kTargetWidth * (kTargetHeight / 2) + kTargetWidth / 2]);
    benchmark::DoNotOptimize(pixmanPage[std::size_t{kTargetWidth} * (kTargetHeight / 2) + kTargetWidth / 2]);
  }
  pixman_image_unref(source);
  pixman_image_unref(dest);

  timer.Report("turn 2000x1000 picture 30 degrees, the program's sampling",
               {"TdocMapSampler::Render, bilinear, its default 2 x 2 samples a pixel",
                std::string("pixman ") + pixman_version_string() + " OVER a8r8g8b8, BILINEAR, REPEAT_NONE"});
}

}  // namespace

BENCHMARK(RotatePicture)->UseManualTime()->Unit(benchmark::kMillisecond);
