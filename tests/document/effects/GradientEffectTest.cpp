// Gradient and alpha-to-colour effects: palettes against mixes computed here,
// the spectrum against its own formula and worked entries, directions on
// small bitmaps, replacement weights, the stored palette and the XML rules
// for names, stops and palette entries.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "EffectTestSupport.h"
#include "document/effects/GradientEffects.h"

namespace {

using namespace effecttest;

TColor32 Mix(TColor32 a, TColor32 b, double t) {
  TColor32 out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= TColor32(std::nearbyint((1 - t) * Channel(a, shift) + t * Channel(b, shift))) << shift;
  return out;
}

TEST(GradientEffectTest, NewGradientPaintsWhiteToBlackKeepingAlpha) {
  document::StartUp();
  TBitmap32 bitmap;
  FillRandom(bitmap, 40, 9, 5);
  TBitmap32 original;
  original.Assign(&bitmap);
  TdocGradientEffect effect;
  effect.Apply(bitmap, {});
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor32 in = original.GetPixel(x, y), out = bitmap.GetPixel(x, y);
      if (in >> 24 == 0) {
        EXPECT_EQ(out, in);
        continue;
      }
      const int entry = int(std::nearbyint(x * (255.0 / 39)));
      const TColor32 want = Mix(0xFFFFFFFFu, 0xFF000000u, entry / 255.0);
      EXPECT_EQ(out, (want & 0xFFFFFFu) | (in & 0xFF000000u)) << x << "," << y;
    }
}

TEST(GradientEffectTest, PalettesFromTwoColoursFillMethodsAndStops) {
  TdocGradientEffect effect;
  effect.Color1 = 0xFF102030u;
  effect.Color2 = 0x80F0E0D0u;
  for (int i = 0; i < 256; ++i) EXPECT_EQ(effect.GetPalette()[i], Mix(effect.Color1, effect.Color2, i / 255.0)) << i;
  const TdocPalette straight = effect.GetPalette();
  effect.FillMethod = 1;
  effect.Prepare();
  EXPECT_EQ(effect.GetPalette()[0], straight[255]);
  effect.FillMethod = 2;  // "Col1-Col2-Col1"
  effect.Prepare();
  EXPECT_EQ(effect.GetPalette()[0], straight[0]);
  EXPECT_EQ(effect.GetPalette()[255], straight[0]);
  EXPECT_EQ(effect.GetPalette()[127], straight[254]);
  EXPECT_EQ(effect.GetPalette()[128], straight[254]);
  effect.FillMethod = 3;
  effect.Prepare();
  EXPECT_EQ(effect.GetPalette()[0], straight[255]);
  EXPECT_EQ(effect.GetPalette()[128], straight[1]);

  // Stops out of order are walked in list order: green at 0.5 comes after
  // the segment red-blue already covers the whole line.
  effect.FillMethod = 0;
  effect.PaletteMethod = pmColorStops;
  effect.ColorStops.Append({0, 0xFFFF0000u});
  effect.ColorStops.Append({1, 0xFF0000FFu});
  effect.ColorStops.Append({0.5, 0xFF00FF00u});
  effect.Prepare();
  for (int i : {0, 100, 128, 255}) EXPECT_EQ(effect.GetPalette()[i], Mix(0xFFFF0000u, 0xFF0000FFu, i / 255.0)) << i;
  // AddStop sorts: now green sits in the middle.
  effect.ColorStops.Clear();
  effect.ColorStops.AddStop(0xFFFF0000u, 0);
  effect.ColorStops.AddStop(0xFF0000FFu, 1);
  effect.ColorStops.AddStop(0xFF00FF00u, 0.5);
  effect.Prepare();
  EXPECT_EQ(effect.GetPalette()[64], Mix(0xFFFF0000u, 0xFF00FF00u, 64 * 2 / 255.0));
  // One stop gives no palette of its own: the two colours stand in.
  effect.ColorStops.Clear();
  effect.ColorStops.AddStop(0xFF00FF00u, 0.5);
  effect.Prepare();
  EXPECT_EQ(effect.GetPalette()[0], effect.Color1);
}

// Every pair of channel values mixed at fractions where double and extended
// precision could part: halves and quarters (ties), the palette's steps,
// fractions too small for a double to hold 1 - t exactly, the last float
// below 1, and stray values from either side of the range. The reference
// mixes in extended precision and rounds through the floating-point state.
TEST(GradientEffectTest, ColourMixesRoundAsInExtendedPrecision) {
  std::vector<float> fractions{0, 1, 0.5f, 0.25f, 0.75f, 0.125f, 0.375f, 1e-30f, std::ldexp(1.0f, -21),
                               std::ldexp(1.0f, -22), std::ldexp(1.0f, -21) * 1.5f, 1 - std::ldexp(1.0f, -24),
                               -0.5f, 1.5f};
  for (int i : {1, 2, 127, 128, 200, 254}) fractions.push_back(static_cast<float>(i) * 0.003921569f);
  std::mt19937 random(11);
  std::uniform_real_distribution<float> any(0, 1);
  for (int i = 0; i < 6; ++i) fractions.push_back(any(random));
  for (const float t : fractions) {
    const long double f = std::clamp(static_cast<long double>(t), 0.0L, 1.0L);
    int wrong = 0;
    for (std::uint32_t a = 0; a < 256; ++a)
      for (std::uint32_t b = 0; b < 256; ++b) {
        const auto want = static_cast<TColor32>(std::nearbyint((1 - f) * a + f * b));
        wrong += LerpColor(a * 0x01010101u, b * 0x01010101u, t) != want * 0x01010101u;
      }
    EXPECT_EQ(wrong, 0) << "t = " << t;
  }
  EXPECT_EQ(LerpColor(0xFF204060u, 0x00FFFFFFu, std::nanf("")), 0xFF204060u);
}

// Wavelength to colour as the spectrum is described, in double.
TColor32 SpectrumEntry(int i) {
  const double w = 380 + i * (400.0 / 255);
  const int n = int(w);
  double r = 0, g = 0, b = 0, f = 0;
  if (n >= 380 && n < 440) r = (440 - w) / 60, b = 1;
  else if (n < 490) g = (w - 440) / 50, b = 1;
  else if (n < 510) g = 1, b = (510 - w) / 20;
  else if (n < 580) r = (w - 510) / 70, g = 1;
  else if (n < 645) r = 1, g = (645 - w) / 65;
  else if (n <= 780) r = 1;
  if (n < 420) f = 0.3 + 0.7 * (w - 380) / 40;
  else if (n <= 700) f = 1;
  else if (n <= 780) f = 0.3 + 0.7 * (780 - w) / 80;
  const auto byte = [f](double v) { return v == 0 ? 0u : TColor32(std::nearbyint(std::pow(v * f, 0.8) * 255)); };
  return 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
}

TEST(GradientEffectTest, PresetsAndTheRainbow) {
  TdocGradientEffect effect;
  effect.PaletteMethod = pmPreset;
  effect.Preset = RainbowPreset;
  const TdocPalette& rainbow = effect.GetPalette();
  EXPECT_EQ(rainbow[0], 0xFF610061u);
  EXPECT_EQ(rainbow[255], 0xFF610000u);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(rainbow[i], SpectrumEntry(i)) << i;
  // "Daybreak": three stops, the ends exact and the middle stop at 0.5.
  effect.Preset = 3;
  effect.Prepare();
  EXPECT_EQ(effect.GetPalette()[0], 0xFF5E9EFFu);
  EXPECT_EQ(effect.GetPalette()[255], 0xFFFFEBFAu);
  EXPECT_EQ(effect.ColorStops.GetCount(), 3);
  EXPECT_EQ(effect.ColorStops.GetStop(1)->Color, 0xFF98C8F9u);
  for (int preset = 0; preset < GradientPresetCount; ++preset) {
    effect.Preset = preset;
    effect.Prepare();
    EXPECT_EQ(effect.GetPalette()[0] >> 24, 0xFFu) << GradientPresetName(preset);
    EXPECT_FALSE(GradientPresetName(preset).empty());
  }
  // An unknown preset falls back on the two colours.
  effect.Preset = 99;
  effect.Prepare();
  EXPECT_EQ(effect.GetPalette()[0], effect.Color1);
  EXPECT_EQ(effect.GetPalette()[255], effect.Color2);
}

// The palette index each pixel of a w x h bitmap takes.
int EntryAt(TdocGradientEffect& effect, int w, int h, int x, int y) {
  TBitmap32 bitmap;
  bitmap.SetSize(w, h);
  bitmap.Clear(0xFF000000u);
  effect.PaletteMethod = pmStored;
  for (int i = 0; i < 256; ++i) effect.Palette[i] = 0xFF000000u | TColor32(i);
  effect.Prepare();
  effect.Apply(bitmap, {});
  return int(bitmap.GetPixel(x, y) & 0xFF);
}

TEST(GradientEffectTest, DirectionsPlaceTheLine) {
  TdocGradientEffect effect;
  const struct {
    int direction, w, h, x, y, entry;
  } cases[] = {
      {0, 11, 3, 0, 1, 0},     {0, 11, 3, 10, 2, 255},  {0, 11, 3, 5, 0, 128},  {1, 3, 11, 2, 10, 255},
      {1, 3, 11, 0, 0, 0},     {2, 10, 10, 0, 0, 0},    {2, 10, 10, 9, 9, 242}, {3, 10, 10, 9, 0, 0},
      {4, 10, 10, 0, 0, 0},    {4, 10, 10, 9, 2, 255},  {5, 10, 10, 9, 0, 0},   {6, 10, 10, 0, 9, 0},
      {7, 10, 10, 9, 9, 0},    {7, 10, 10, 0, 0, 255},  {8, 101, 101, 50, 50, 0}, {8, 101, 101, 0, 50, 255},
      {8, 101, 101, 100, 100, 255}, {1, 5, 1, 3, 0, 0},  {0, 1, 4, 0, 3, 0},
  };
  // DiagonalUp 10 x 10: the line has 20 places, (9, 9) takes place 18 of 19,
  // palette entry round(18 x 255 / 19) = 242.
  for (const auto& c : cases) {
    effect.Direction = c.direction;
    EXPECT_EQ(EntryAt(effect, c.w, c.h, c.x, c.y), c.entry) << c.direction << " at " << c.x << "," << c.y;
  }
  // An undefined direction paints Color1 everywhere.
  effect.Direction = 42;
  effect.Color1 = 0xFF0000AAu;
  EXPECT_EQ(EntryAt(effect, 6, 6, 3, 3), 0xAA);
}

TEST(GradientEffectTest, ReplacementWeights) {
  TdocGradientEffect effect;
  effect.Color1 = effect.Color2 = 0xFF204060u;
  const auto run = [&](int replace, TColor32 pixel) {
    effect.Replace = static_cast<std::uint8_t>(replace);
    effect.Prepare();
    TBitmap32 bitmap;
    bitmap.SetSize(1, 1);
    bitmap.SetPixel(0, 0, pixel);
    effect.Apply(bitmap, {});
    return bitmap.GetPixel(0, 0);
  };
  EXPECT_EQ(run(3, 0x80FFFFFFu), 0x80204060u);  // the shape's alpha kept
  EXPECT_EQ(run(4, 0x80FFFFFFu), 0xFF204060u);  // opaque wherever there is alpha
  EXPECT_EQ(run(4, 0x00FFFFFFu), 0x00FFFFFFu);
  EXPECT_EQ(run(0, 0xFFFF0000u), 0xFF204060u);  // full red: full amount
  EXPECT_EQ(run(0, 0xFF00FFFFu), 0xFF00FFFFu);  // no red: nothing
  EXPECT_EQ(run(1, 0xC000FF00u), 0xC0204060u);
  EXPECT_EQ(run(2, 0x400000FFu), 0x40204060u);
  EXPECT_EQ(run(7, 0xFF123456u), 0xFF123456u);  // no weights defined: nothing
  // A half amount mixes: each channel lies between the two colours.
  const TColor32 half = run(0, 0xFF800000u);
  for (int shift : {0, 8, 16}) {
    const int lo = std::min(Channel(0xFF800000u, shift), Channel(0xFF204060u, shift));
    const int hi = std::max(Channel(0xFF800000u, shift), Channel(0xFF204060u, shift));
    EXPECT_TRUE(int(Channel(half, shift)) >= lo && int(Channel(half, shift)) <= hi) << std::hex << half;
  }
}

TEST(GradientEffectTest, AlphaToColorMakesAnOpaqueGreyImage) {
  document::StartUp();
  TBitmap32 bitmap;
  bitmap.SetSize(256, 1);
  for (int a = 0; a < 256; ++a) bitmap.SetPixel(a, 0, TColor32(a) << 24 | 0x3377AAu);
  TdocAlphaToColorEffect effect;
  effect.Apply(bitmap, {});
  EXPECT_EQ(bitmap.GetPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(bitmap.GetPixel(255, 0), 0xFF000000u);
  for (int a = 1; a < 256; ++a) {
    const TColor32 p = bitmap.GetPixel(a, 0);
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_TRUE(Channel(p, 0) == Channel(p, 8) && Channel(p, 8) == Channel(p, 16));
    EXPECT_LE(Channel(p, 0), Channel(bitmap.GetPixel(a - 1, 0), 0)) << a;
  }
}

TEST(GradientEffectTest, XmlNamesStopsAndStoredPalette) {
  const std::string gradient = "TdocGradientEffect";
  auto effect = LoadEffect(EffectElement(gradient, "<Direction>FromCenter</Direction><FillMethod>Col2 to Col1</FillMethod>"));
  auto& g = static_cast<TdocGradientEffect&>(*effect);
  EXPECT_EQ(g.Direction, 8);
  EXPECT_EQ(g.FillMethod, 1);
  EXPECT_EQ(g.Color1, 0u);  // missing colours read as 0
  EXPECT_EQ(g.Replace, 0);
  // A name in other letter case is no name: the direction stays.
  effect = LoadEffect(EffectElement(gradient, "<Direction>fromcenter</Direction><PaletteMethod>1</PaletteMethod>"
                                              "<Preset>Rainbow</Preset>"));
  EXPECT_EQ(static_cast<TdocGradientEffect&>(*effect).Direction, 0);
  EXPECT_EQ(static_cast<TdocGradientEffect&>(*effect).Preset, RainbowPreset);
  // Stops in document order with missing attributes as 0.
  effect = LoadEffect(EffectElement(gradient, "<PaletteMethod>2</PaletteMethod><ColorStops><Stop Color=\"255\" "
                                              "Position=\"0.75\"/><Stop/><Stop Color=\"-1\" Position=\"0.5\"/>"
                                              "</ColorStops>"));
  const TdocColorStopList& stops = static_cast<TdocGradientEffect&>(*effect).ColorStops;
  ASSERT_EQ(stops.GetCount(), 3);
  EXPECT_EQ(stops.GetStop(0)->Color, 255u);
  EXPECT_EQ(stops.GetStop(0)->Position, 0.75);
  EXPECT_EQ(stops.GetStop(1)->Position, 0.0);
  EXPECT_EQ(stops.GetStop(2)->Color, 0xFFFFFFFFu);
  EXPECT_EQ(stops.GetStop(3), nullptr);
  // 300 stored entries fill the 256 and no more; the palette is used as stored.
  std::string entries;
  for (int i = 0; i < 300; ++i) entries += "<C>$FF0000" + std::string(i % 2 ? "01" : "02") + "</C>";
  effect = LoadEffect(EffectElement(gradient, "<PaletteMethod>3</PaletteMethod><FillMethod>Col2 to Col1</FillMethod>"
                                              "<Palette>" + entries + "</Palette>"));
  auto& stored = static_cast<TdocGradientEffect&>(*effect);
  EXPECT_EQ(stored.GetPalette()[0], 0xFF000002u);
  EXPECT_EQ(stored.GetPalette()[255], 0xFF000001u);
  // Fewer entries: the rest read as 0, never as left-overs.
  effect = LoadEffect(EffectElement(gradient, "<PaletteMethod>3</PaletteMethod><Palette><C>$FFABCDEF</C><C>junk</C>"
                                              "</Palette>"));
  auto& short_ = static_cast<TdocGradientEffect&>(*effect);
  EXPECT_EQ(short_.GetPalette()[0], 0xFFABCDEFu);
  EXPECT_EQ(short_.GetPalette()[1], 0u);
  EXPECT_EQ(short_.GetPalette()[200], 0u);
}

}  // namespace
