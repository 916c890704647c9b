// Turned, translucent shapes drawn again from warm caches blend the rows the
// sampler made the time before. Every render, warm or after a change, must
// equal a render from cold caches pixel for pixel.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/document/TestShapes.h"

namespace {

using doctest::TFillShape;
using doctest::TNoiseShape;
using doctest::TPageFixture;

constexpr float PageWidth = 60, PageHeight = 40;

std::vector<TColor32> Pixels(const TBitmap32& bitmap) {
  const TColor32* bits = bitmap.GetBits();
  return {bits, bits + std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight())};
}

// The number of differing pixels and the first of them, for a short message.
std::string Difference(const std::vector<TColor32>& a, const std::vector<TColor32>& b) {
  if (a.size() != b.size()) return "sizes differ";
  std::size_t count = 0, first = 0;
  for (std::size_t i = a.size(); i-- > 0;)
    if (a[i] != b[i]) ++count, first = i;
  char values[40];
  std::snprintf(values, sizeof values, " (%08X, %08X)", a[first], b[first]);
  return count == 0 ? "" : std::to_string(count) + " pixels differ, the first at " + std::to_string(first) + values;
}

class SampledImageTest : public ::testing::Test, protected TPageFixture {
protected:
  SampledImageTest() : TPageFixture(PageWidth, PageHeight) {}

  // The page area rect at res pixels per mm on white.
  std::vector<TColor32> Render(float res, const TFloatRect& rect) {
    TBitmap32 bitmap;
    bitmap.SetSize(int(std::lround((rect.Right - rect.Left) * res)), int(std::lround((rect.Bottom - rect.Top) * res)));
    bitmap.Clear(clWhite32);
    TdocRenderOptions options;
    options.Resolution = res;
    Page.RenderShape(bitmap, rect, true, options);
    return Pixels(bitmap);
  }
  std::vector<TColor32> RenderCold(float res, const TFloatRect& rect) {
    Page.ClearRenderCacheAll();
    return Render(res, rect);
  }

  template <class T>
  T* Add(float left, float top, float width, float height, float angle, int alpha, float curb = 0) {
    auto* shape = static_cast<T*>(Page.GetShapes(Page.AddShape(std::make_unique<T>())));
    shape->SetDocFrame(left, top, width, height, angle);
    shape->SetMasterAlpha(alpha);
    shape->SetCurb(curb);
    return shape;
  }
};

TEST_F(SampledImageTest, WarmRendersAndRendersAfterChangesEqualColdOnes) {
  auto* noise = Add<TNoiseShape>(4.3f, 3.1f, 22, 14, 31.7f, 160, 1.5f);
  auto* fill = Add<TFillShape>(20.2f, 12.6f, 25, 11, 300.25f, 200);
  fill->Color = 0xC08040E0u;
  auto* opaque = Add<TNoiseShape>(33, 20, 15, 12, 12.5f, 255);
  auto* tiny = Add<TFillShape>(50.1f, 4.4f, 0.6f, 0.9f, 45, 128, 0.3f);
  const auto shapes = {static_cast<TdocShape*>(noise), static_cast<TdocShape*>(fill),
                       static_cast<TdocShape*>(opaque), static_cast<TdocShape*>(tiny)};

  float res = 4;
  TFloatRect rect{0, 0, PageWidth, PageHeight};
  const std::vector<TColor32> cold = RenderCold(res, rect);
  for (TdocShape* shape : shapes) EXPECT_GT(shape->GetSampledImage().PixelCount(), 0u);
  EXPECT_EQ(Difference(Render(res, rect), cold), "") << "warm";
  EXPECT_EQ(Difference(Render(res, rect), cold), "") << "warm again";

  // Zooming out reuses caches made at the higher resolution: the cold render
  // to compare with makes them there first.
  const struct {
    const char* what;
    std::function<void()> change;
    float cacheResolution = 0;
  } changes[] = {
      {"move by a fraction", [&] { noise->SetDocFrame(4.55f, 3.3f, 22, 14, 31.7f); }},
      {"move by whole pixels", [&] { fill->SetDocFrame(20.7f, 13.1f, 25, 11, 300.25f); }},
      {"rotate", [&] { noise->SetDocAngle(147.5f); }},
      {"opacity", [&] { fill->SetMasterAlpha(90); }},
      {"opaque to translucent", [&] { opaque->SetMasterAlpha(254); }},
      {"content", [&] {
         fill->Color = 0xE020A060u;
         fill->Refresh();
       }},
      {"mirror", [&] { noise->SetMirrored(true); }},
      {"curb", [&] { tiny->SetCurb(1); }},
      {"zoom out, the cache reused", [&] { res = 3; }, 4},
      {"zoom in, the cache redrawn", [&] { res = 5; }},
      {"scroll by a fraction", [&] { rect = {0.3f, 0.1f, PageWidth - 10.3f, PageHeight - 5.1f}; }},
      {"scroll by whole pixels", [&] { rect = {0.5f, 0.3f, PageWidth - 9.5f, PageHeight - 4.7f}; }},
  };
  for (const auto& step : changes) {
    step.change();
    const std::vector<TColor32> warm = Render(res, rect);
    if (step.cacheResolution > 0) RenderCold(step.cacheResolution, rect);
    else Page.ClearRenderCacheAll();
    const std::vector<TColor32> fresh = Render(res, rect);
    EXPECT_EQ(Difference(warm, fresh), "") << step.what;
    EXPECT_EQ(Difference(Render(res, rect), fresh), "") << step.what << ", warm again";
  }
}

}  // namespace
