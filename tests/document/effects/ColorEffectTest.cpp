// Colour effects against per-pixel formulas of their own, on random bitmaps:
// brightness and contrast, hue/saturation/lightness, sepia. Fully transparent
// pixels keep all four bytes; alpha never changes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "EffectTestSupport.h"
#include "document/effects/ColorEffects.h"
#include "document/effects/HslAdjustLanes.h"
#include "imaging/core/CpuFeatures.h"

namespace {

using namespace effecttest;

// Runs the effect over a random bitmap and compares every pixel with
// expected(original); transparent pixels must come out as they went in.
void ExpectPixels(TdocEffect& effect, const std::function<TColor32(TColor32)>& expected, int tolerance,
                  const std::string& label) {
  TBitmap32 bitmap;
  FillRandom(bitmap, 61, 37, 7);
  TBitmap32 original;
  original.Assign(&bitmap);
  effect.Apply(bitmap, {});
  int failures = 0;
  for (int y = 0; y < bitmap.GetHeight() && failures < 5; ++y)
    for (int x = 0; x < bitmap.GetWidth() && failures < 5; ++x) {
      const TColor32 in = original.GetPixel(x, y), out = bitmap.GetPixel(x, y);
      if (in >> 24 == 0) {
        failures += in != out;
        EXPECT_EQ(out, in) << label << " transparent pixel changed at " << x << "," << y;
        continue;
      }
      const TColor32 want = expected(in);
      bool close = out >> 24 == in >> 24;
      for (int shift : {0, 8, 16}) close = close && std::abs(int(Channel(out, shift)) - int(Channel(want, shift))) <= tolerance;
      failures += !close;
      EXPECT_TRUE(close) << label << " at " << x << "," << y << std::hex << ": in " << in << " got " << out << " want "
                         << want;
    }
}

TColor32 PerChannel(TColor32 in, const std::function<std::uint32_t(std::uint32_t)>& f) {
  return (in & 0xFF000000u) | f(Channel(in, 16)) << 16 | f(Channel(in, 8)) << 8 | f(Channel(in, 0));
}

TEST(ColorEffectTest, BrightnessContrastFollowTheTransferLine) {
  document::StartUp();
  const struct {
    float brightness, contrast;
  } cases[] = {{0, 1}, {20, 1}, {-35.5f, 1.3f}, {0, 0}, {10, 0}, {300, 1}, {-300, 1}, {12.5f, 2.5f}, {0, -1}};
  for (const auto& c : cases) {
    TdocBrightContrEffect effect;
    effect.Brightness = c.brightness;
    effect.Contrast = c.contrast;
    effect.Prepare();
    const auto curve = [&](std::uint32_t v) {
      const double line = (double(v) - 127) * c.contrast + 127 + c.brightness;
      return static_cast<std::uint32_t>(std::clamp(std::nearbyint(line), 0.0, 255.0));
    };
    ExpectPixels(effect, [&](TColor32 in) { return PerChannel(in, curve); }, 0,
                 "B " + std::to_string(c.brightness) + " C " + std::to_string(c.contrast));
  }
}

TEST(ColorEffectTest, BrightnessContrastWithoutStoredContrastFlattensToMidGrey) {
  auto effect = LoadEffect(EffectElement("TdocBrightContrEffect"));
  ExpectPixels(*effect, [](TColor32 in) { return (in & 0xFF000000u) | 0x7F7F7Fu; }, 0, "missing Contrast");
}

// Hue, saturation, lightness from the usual hexcone model, in double.
struct THsl {
  double h, s, l;
};

THsl ToHsl(TColor32 c) {
  const double r = Channel(c, 16) / 255.0, g = Channel(c, 8) / 255.0, b = Channel(c, 0) / 255.0;
  const double hi = std::max({r, g, b}), lo = std::min({r, g, b}), l = (hi + lo) / 2;
  if (hi == lo) return {0, 0, l};
  const double d = hi - lo, s = l < 0.5 ? d / (hi + lo) : d / (2 - hi - lo);
  double h = r == hi ? (g - b) / d : g == hi ? 2 + (b - r) / d : 4 + (r - g) / d;
  h /= 6;
  return {h < 0 ? h + 1 : h, s, l};
}

TColor32 FromHsl(THsl v) {
  const auto byte = [](double x) { return static_cast<std::uint32_t>(std::clamp(std::nearbyint(x * 255), 0.0, 255.0)); };
  if (v.s == 0) return 0xFF000000u | byte(v.l) * 0x010101u;
  const double q = v.l <= 0.5 ? v.l * (1 + v.s) : v.l + v.s - v.l * v.s, p = 2 * v.l - q;
  const auto channel = [&](double t) {
    t -= std::floor(t);
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  return 0xFF000000u | byte(channel(v.h + 1.0 / 3)) << 16 | byte(channel(v.h)) << 8 | byte(channel(v.h - 1.0 / 3));
}

TColor32 Adjusted(TColor32 in, double hue, double saturation, double lightness) {
  THsl v = ToHsl(in);
  v.h += hue;
  while (v.h > 1) v.h -= 1;
  while (v.h < 0) v.h += 1;
  v.s = std::clamp(v.s + saturation, 0.0, 1.0);
  v.l = std::clamp(v.l + lightness, 0.0, 1.0);
  return (in & 0xFF000000u) | (FromHsl(v) & 0x00FFFFFFu);
}

TEST(ColorEffectTest, HslAdjustmentMovesHueSaturationAndLightness) {
  document::StartUp();
  const struct {
    float hue, saturation, lightness;
  } cases[] = {{0, 0, 0}, {0.25f, 0, 0}, {-0.4f, 0.2f, -0.1f}, {0.5f, -1, 0}, {2.75f, 0.5f, 0.3f}, {0, 0, 1}, {0, 0, -1}};
  for (const auto& c : cases) {
    TdocHSLAdjustEffect effect;
    effect.Hue = c.hue;
    effect.Saturation = c.saturation;
    effect.Lightness = c.lightness;
    // Single against double precision: a channel may round the other way.
    ExpectPixels(effect, [&](TColor32 in) { return Adjusted(in, c.hue, c.saturation, c.lightness); }, 1,
                 "H " + std::to_string(c.hue) + " S " + std::to_string(c.saturation));
  }
}

TColor32 ApplyToPixel(TdocEffect& effect, TColor32 pixel) {
  TBitmap32 bitmap;
  bitmap.SetSize(1, 1);
  bitmap.SetPixel(0, 0, pixel);
  effect.Apply(bitmap, {});
  return bitmap.GetPixel(0, 0);
}

TEST(ColorEffectTest, HslWorkedValues) {
  TdocHSLAdjustEffect effect;
  effect.Hue = 0.5f;
  EXPECT_EQ(ApplyToPixel(effect, 0xFFFF0000u), 0xFF00FFFFu);  // red turns cyan
  for (float turn : {1.0f, -1.0f, 7.0f}) {
    effect.Hue = turn;
    EXPECT_EQ(ApplyToPixel(effect, 0x80FF0000u), 0x80FF0000u) << turn;
    EXPECT_EQ(ApplyToPixel(effect, 0xFF00FF00u), 0xFF00FF00u) << turn;
  }
  effect.Hue = 0;
  effect.Saturation = -1;
  const TColor32 grey = ApplyToPixel(effect, 0xFF3080C0u);
  EXPECT_TRUE(Channel(grey, 0) == Channel(grey, 8) && Channel(grey, 8) == Channel(grey, 16)) << std::hex << grey;
}

TEST(ColorEffectTest, HslWholeBitmapsEqualThePixelByPixelConversion) {
  // Every 31st colour of the cube, with every alpha class, once through the
  // effect and once through each width of lanes this processor has, and
  // pixel by pixel: the bits must agree.
  document::StartUp();
  const struct {
    float hue, saturation, lightness;
  } cases[] = {{0.3f, -0.2f, 0.1f}, {-2.71f, 0.6f, -0.35f}, {1e30f, NAN, INFINITY}, {NAN, -INFINITY, 0.5f}, {0, 0, 0}};
  const int count = (1 << 24) / 31 + 3;  // not a multiple of 8 or 16: the tail runs too
  TBitmap32 original;
  original.SetSize(count, 1);
  for (int i = 0; i < count; ++i) {
    const TColor32 alpha = i % 5 == 0 ? 0 : i % 5 == 1 ? 0x80000000u : 0xFF000000u;
    original.GetBits()[i] = alpha | (TColor32(i) * 31u & 0x00FFFFFFu);
  }
  using TLanes = std::size_t (*)(TColor32*, std::size_t, const THslShift&);
  std::vector<std::pair<std::string, TLanes>> widths;
  if (imaging::HasCPUFeature(cfAVX2) && imaging::HasCPUFeature(cfFMA)) widths.emplace_back("8 lanes", &AdjustHslAvx2);
  if (imaging::HasCPUFeature(cfAVX512) && imaging::HasCPUFeature(cfFMA)) widths.emplace_back("16 lanes", &AdjustHslAvx512);
  for (const auto& c : cases) {
    TdocHSLAdjustEffect effect;
    effect.Hue = c.hue;
    effect.Saturation = c.saturation;
    effect.Lightness = c.lightness;
    const auto finite = [](float v) { return std::isnan(v) ? 0.0f : v; };
    const THslShift shift{c.hue, std::isfinite(c.hue), finite(c.saturation), finite(c.lightness)};
    for (std::size_t way = 0; way <= widths.size(); ++way) {
      TBitmap32 bitmap;
      bitmap.Assign(&original);
      const std::string label = way == 0 ? "effect" : widths[way - 1].first;
      const std::size_t done = way == 0 ? (effect.Apply(bitmap, {}), std::size_t(count))
                                        : widths[way - 1].second(bitmap.GetBits(), std::size_t(count), shift);
      int wrong = 0;
      for (std::size_t i = 0; i < done; ++i) {
        TColor32 want = original.GetBits()[i];
        if (want >> 24 != 0) effect.ProcessPixel(want);
        if (bitmap.GetBits()[i] != want && ++wrong <= 3)
          ADD_FAILURE() << label << " H " << c.hue << std::hex << " in " << original.GetBits()[i] << " got "
                        << bitmap.GetBits()[i] << " want " << want;
      }
      EXPECT_EQ(wrong, 0) << label;
    }
  }
}

TEST(ColorEffectTest, HslHugeOrUndefinedShiftsFinish) {
  // A shift of 1e30 turns would take forever one turn at a time.
  for (float hue : {1e30f, -1e30f, 3e38f, INFINITY, NAN}) {
    TdocHSLAdjustEffect effect;
    effect.Hue = hue;
    effect.Saturation = NAN;
    effect.Lightness = NAN;
    const TColor32 out = ApplyToPixel(effect, 0xC0FF0000u);
    EXPECT_EQ(out >> 24, 0xC0u) << hue;
  }
  TdocHSLAdjustEffect effect;
  effect.Hue = NAN;
  effect.Saturation = NAN;
  effect.Lightness = NAN;
  EXPECT_EQ(ApplyToPixel(effect, 0xFF3080C0u), 0xFF3080C0u);  // shifts nothing
}

TEST(ColorEffectTest, SepiaTintsTheGreyByDepth) {
  document::StartUp();
  for (std::int32_t depth : {35, 0, 1, 100, 200, 100000}) {
    TdocSepiaEffect effect;
    effect.Depth = depth;
    ExpectPixels(effect, [&](TColor32 in) {
      const std::uint32_t grey = (61 * Channel(in, 16) + 174 * Channel(in, 8) + 21 * Channel(in, 0)) / 256;
      const auto tint = [&](std::int64_t add) { return static_cast<std::uint32_t>(std::min<std::int64_t>(255, grey + add)); };
      return (in & 0xFF000000u) | tint(2 * std::int64_t{depth}) << 16 | tint(depth) << 8 | grey;
    }, 0, "depth " + std::to_string(depth));
  }
  TdocSepiaEffect effect;
  EXPECT_EQ(ApplyToPixel(effect, 0xFF000000u), 0xFF462300u);
  EXPECT_EQ(ApplyToPixel(effect, 0xFFFFFFFFu), 0xFFFFFFFFu);
  // A negative depth tints nothing rather than wrapping the channels.
  effect.Depth = -50;
  EXPECT_EQ(ApplyToPixel(effect, 0xFF808080u), 0xFF808080u);
}

}  // namespace
