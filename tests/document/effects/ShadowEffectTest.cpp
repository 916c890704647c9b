// The shadow effect against a shadow computed here from its description
// (intensity map, flat shift, box passes as direct window sums, tint, put
// under the shape), its margins, its offset through a shape's cache at two
// resolutions, undo replay names and hostile parameters.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "EffectTestSupport.h"
#include "tests/document/TestShapes.h"
#include "document/effects/EffectShape.h"
#include "document/effects/ShadowEffect.h"
#include "imaging/docgraphics/BitmapHelpers.h"

namespace {

using namespace effecttest;

// Opaque blobs on a transparent ground whose colour bytes are not zero.
void FillBlobs(TBitmap32& bitmap, int width, int height, std::uint32_t seed) {
  std::mt19937 random(seed);
  bitmap.SetSize(width, height);
  bitmap.Clear(0x00123456u);
  for (int blob = 0; blob < 4; ++blob) {
    const int cx = int(random() % width), cy = int(random() % height), r = 3 + int(random() % 8);
    const TColor32 color = 0xFF000000u | (random() & 0xFFFFFF);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (const int d = (x - cx) * (x - cx) + (y - cy) * (y - cy); d <= r * r)
          // A rim of partly clear pixels, as antialiased edges have.
          bitmap.SetPixel(x, y, r * r - d < r ? (color & 0x00FFFFFFu) | 0x90000000u : color);
  }
}

// One moving average over the flat run: out[k] = (in[k+lead-w+1] + ... +
// in[k+lead]) div w, places outside counting 0.
std::vector<std::int64_t> WindowPass(const std::vector<std::int64_t>& in, int lead, int w) {
  const auto n = static_cast<std::int64_t>(in.size());
  std::vector<std::int64_t> out(in.size());
  for (std::int64_t k = 0; k < n; ++k) {
    std::int64_t sum = 0;
    for (std::int64_t j = k + lead - w + 1; j <= k + lead; ++j)
      if (j >= 0 && j < n) sum += in[static_cast<std::size_t>(j)];
    out[static_cast<std::size_t>(k)] = sum / w;
  }
  return out;
}

std::vector<std::int64_t> Transposed(const std::vector<std::int64_t>& in, int width, int height) {
  std::vector<std::int64_t> out(in.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) out[std::size_t(x) * height + y] = in[std::size_t(y) * width + x];
  return out;
}

// The shadow bitmap's values before they are tinted.
std::vector<std::int64_t> ExpectedIntensities(const TBitmap32& shape, float dx, float dy, float intensity, float blur,
                                              double r) {
  const int width = shape.GetWidth(), height = shape.GetHeight();
  const std::int64_t n = std::int64_t{width} * height;
  std::vector<std::int64_t> map(static_cast<std::size_t>(n));
  for (std::int64_t k = 0; k < n; ++k)
    map[static_cast<std::size_t>(k)] = std::llround(double(shape.GetBits()[k] >> 24) * 256 * intensity);
  const std::int64_t offset = std::int64_t(std::nearbyint(dy * r)) * width + std::int64_t(std::nearbyint(dx * r));
  if (offset != 0 && std::abs(offset) <= n) {
    std::vector<std::int64_t> moved(map.size(), 0);
    for (std::int64_t k = 0; k < n; ++k)
      if (k - offset >= 0 && k - offset < n) moved[static_cast<std::size_t>(k)] = map[static_cast<std::size_t>(k - offset)];
    map = moved;
  }
  int w = int(std::nearbyint(blur * r));
  if (w < 2) return map;
  if (w == 2) w = 3;
  const int a = w / 2, b = w % 2 == 0 ? std::max(1, (w + 1) / 2 - 1) : (w + 1) / 2;
  for (int round = 0; round < 2; ++round) map = WindowPass(WindowPass(map, a, w), b, w);
  map = Transposed(map, width, height);
  for (int round = 0; round < 2; ++round) map = WindowPass(WindowPass(map, b, w), a, w);
  return Transposed(map, height, width);
}

TEST(ShadowEffectTest, ShadowMatchesItsDescriptionPixelForPixel) {
  document::StartUp();
  // Sizes where the blur's reach is about a column's length (18 pixels
  // reach 34 rows), narrower than eight pixels, or not a multiple of eight;
  // offsets beyond the bitmap; an intensity far above 1.
  const struct {
    float dx, dy, intensity, blur;
    double r;
    int width, height;
  } cases[] = {{2, 1, 0.7f, 1.5f, 5, 83, 57},       {2, 1, 0.7f, 1.5f, 11.811, 83, 57}, {-1.3f, 0.4f, 1, 0.5f, 5, 83, 57},
               {0, 0, 2.5f, 0.3f, 10, 83, 57},      {0.5f, -0.7f, 0.4f, 0.2f, 5, 83, 57}, {1, 1, 1, 0.1f, 5, 83, 57},
               {-2, -3, 0.7f, 1.5f, 11.811, 61, 34}, {3, -1, 0.9f, 1.5f, 11.811, 5, 90},  {1, 2, 0.7f, 1.5f, 11.811, 64, 33},
               {30, 0, 1, 0.8f, 10, 40, 41},         {0, -9, 1, 0.8f, 10, 40, 41},       {1, 1, 200, 1.5f, 11.811, 70, 50}};
  for (const auto& c : cases) {
    TBitmap32 bitmap;
    FillBlobs(bitmap, c.width, c.height, 3);
    TBitmap32 shape;
    shape.Assign(&bitmap);
    TdocShadowEffect effect;
    effect.SetDeltaX(c.dx);
    effect.SetDeltaY(c.dy);
    effect.SetIntensity(c.intensity);
    effect.SetBlur(c.blur);
    effect.SetColor(0x3060C0);  // BGR: red 0xC0, green 0x60, blue 0x30
    TdocRenderOptions options;
    options.BitmapResolution = float(c.r);
    effect.Apply(bitmap, options);
    const auto values = ExpectedIntensities(shape, c.dx, c.dy, c.intensity, c.blur, float(c.r));
    int wrong = 0, shadowed = 0;
    for (std::size_t k = 0; k < values.size(); ++k) {
      const TColor32 under = shape.GetBits()[k], got = bitmap.GetBits()[k];
      std::int64_t v = values[k];
      const TColor32 tinted = v > 255 ? 0x00C06030u | TColor32(std::min<std::int64_t>(v, 0xFF00) >> 8) << 24 : TColor32(v);
      shadowed += under >> 24 == 0 && tinted >> 24 != 0;
      // The shape over its shadow: opaque pixels stay, clear ones show the
      // shadow, partly clear ones are merged over it.
      const TColor32 want = under >> 24 == 255 ? under
                            : under >> 24 == 0 ? tinted
                                               : imaging::MergeColorWithAlpha(under, tinted, 255);
      if (got != want && ++wrong <= 3)
        ADD_FAILURE() << "case dx " << c.dx << " r " << c.r << " pixel " << k << std::hex << " got " << got << " want " << want;
    }
    EXPECT_EQ(wrong, 0) << c.width << " x " << c.height;
    EXPECT_GT(shadowed, 20) << "the shadow shows beside the shapes";
  }
}

TEST(ShadowEffectTest, MarginsFollowBlurAndOffset) {
  TdocShadowEffect effect;
  float l = 0, t = 0, r = 0, b = 0;
  effect.AdjustExtents(l, t, r, b);
  EXPECT_NEAR(l, 0.25f, 1e-6);
  EXPECT_NEAR(t, 1.25f, 1e-6);
  EXPECT_NEAR(r, 4.25f, 1e-6);
  EXPECT_NEAR(b, 3.25f, 1e-6);
  effect.SetDeltaX(-2);
  l = t = r = b = 1;  // adds to what is there
  effect.AdjustExtents(l, t, r, b);
  EXPECT_NEAR(l, 5.25f, 1e-6);
  EXPECT_NEAR(r, 1.25f, 1e-6);
  effect.SetDeltaX(NAN);
  effect.SetBlur(INFINITY);
  l = t = r = b = 0;
  effect.AdjustExtents(l, t, r, b);
  for (float margin : {l, t, r, b}) EXPECT_TRUE(std::isfinite(margin));
}

// A shape that fills its frame opaque black and carries effects.
class TBlackShape : public TdocEffectShape {
public:
  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions&) override {
    bitmap.FillRectClipped(GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom(), 0xFF000000u);
  }
};

TEST(ShadowEffectTest, OffsetScalesWithTheBitmapResolution) {
  doctest::TPageFixture fixture;
  auto owned = std::make_unique<TBlackShape>();
  owned->SetDocFrame(20, 20, 10, 10, 0);
  auto shadow = std::make_unique<TdocShadowEffect>();
  shadow->SetBlur(0);
  shadow->SetIntensity(1);
  shadow->SetColor(0x0000FF);  // red
  owned->AddEffect(std::move(shadow));
  fixture.Page.AddShape(std::move(owned));
  for (float resolution : {5.0f, 10.0f}) {
    TBitmap32 page;
    page.SetSize(int(50 * resolution), int(50 * resolution));
    page.Clear(clWhite32);
    TdocRenderOptions options;
    options.Resolution = resolution;
    fixture.Page.RenderShape(page, {0, 0, 50, 50}, true, options);
    // The cache is blended onto the page, which may round a channel by one.
    const auto near = [&](float x, float y, TColor32 want) {
      const TColor32 got = page.GetPixel(int(x * resolution), int(y * resolution));
      for (int shift : {0, 8, 16})
        if (std::abs(int(Channel(got, shift)) - int(Channel(want, shift))) > 2) return false;
      return true;
    };
    EXPECT_TRUE(near(25, 25, 0x000000u)) << resolution;        // the shape
    EXPECT_TRUE(near(31.7f, 30.7f, 0xFF0000u)) << resolution;  // shadow, 2 mm right and 1 mm down
    EXPECT_TRUE(near(22.3f, 21.3f, 0x000000u)) << resolution;  // shape over its shadow
    EXPECT_TRUE(near(30.3f, 20.7f, 0xFFFFFFu)) << resolution;  // above the shadow's top
    EXPECT_TRUE(near(21.7f, 30.3f, 0xFFFFFFu)) << resolution;  // left of the shadow
    EXPECT_TRUE(near(32.3f, 25, 0xFFFFFFu)) << resolution;     // right of it
    EXPECT_TRUE(near(31.7f, 21.3f, 0xFF0000u)) << resolution;  // the shadow's top right corner
  }
}

TEST(ShadowEffectTest, PropertiesByName) {
  TdocShadowEffect effect;
  effect.SetPropertyByName("Color", "255");
  EXPECT_EQ(effect.GetColor(), 255);
  effect.SetPropertyByName("DeltaX", "-3.5");
  effect.SetPropertyByName("DeltaY", "4");
  effect.SetPropertyByName("Intensity", "0.25");
  effect.SetPropertyByName("Blur", "0");
  effect.SetPropertyByName("deltax", "9");  // names are case-sensitive
  effect.SetPropertyByName("Nothing", "9");
  EXPECT_EQ(effect.GetDeltaX(), -3.5f);
  EXPECT_EQ(effect.GetDeltaY(), 4.0f);
  EXPECT_EQ(effect.GetIntensity(), 0.25f);
  EXPECT_EQ(effect.GetBlur(), 0.0f);
  effect.SetPropertyByName("Enabled", "False");
  EXPECT_FALSE(effect.GetEnabled());
}

TEST(ShadowEffectTest, HostileParametersDrawSomethingSane) {
  // Offsets beyond the bitmap move nothing, so only the intensity decides
  // whether any shadow pixel may show.
  const struct {
    float dx, dy, intensity, blur;
    bool none;
  } cases[] = {{1, 1, -1, 0, true},      {1, 1, -1e30f, 2, true}, {1, 1, NAN, 1, true},  {1, 0, 1e30f, 1, false},
               {1e30f, 0, 1, 1, false},  {0, -1e30f, 1, 1, false}, {NAN, NAN, 1, NAN, false}, {0, 0, 1, 1e30f, false},
               {0, 0, 1, -5, false},     {INFINITY, 0, INFINITY, INFINITY, false}};
  for (const auto& c : cases) {
    TBitmap32 bitmap;
    bitmap.SetSize(40, 30);
    bitmap.Clear(0);
    bitmap.FillRectClipped(10, 10, 20, 20, 0xFF00FF00u);
    TdocShadowEffect effect;
    effect.SetDeltaX(c.dx);
    effect.SetDeltaY(c.dy);
    effect.SetIntensity(c.intensity);
    effect.SetBlur(c.blur);
    TdocRenderOptions options;
    options.BitmapResolution = 5;
    ASSERT_NO_THROW(effect.Apply(bitmap, options)) << c.dx << " " << c.intensity << " " << c.blur;
    EXPECT_EQ(bitmap.GetPixel(15, 15), 0xFF00FF00u);
    int shadow = 0;
    for (int k = 0; k < 40 * 30; ++k) shadow += bitmap.GetBits()[k] >> 24 != 0 && bitmap.GetBits()[k] != 0xFF00FF00u;
    if (c.none) {
      EXPECT_EQ(shadow, 0) << c.dx << " " << c.intensity << " " << c.blur;
    }
  }
  // A negative intensity would have turned every pixel into a full shadow.
  TBitmap32 bitmap;
  bitmap.SetSize(8, 8);
  bitmap.Clear(0xFF000000u);
  bitmap.FillRectClipped(0, 0, 4, 8, 0);
  TdocShadowEffect effect;
  effect.SetIntensity(-0.5f);
  effect.SetBlur(0);
  TdocRenderOptions options;
  options.BitmapResolution = 1;
  effect.Apply(bitmap, options);
  EXPECT_EQ(bitmap.GetPixel(0, 0) >> 24, 0u);
}

}  // namespace
