// The gradient's named tables: directions, fill methods, the 24 presets and
// the spectrum, and the two-colour mix the palettes are built from.

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

#include "document/effects/EffectParams.h"
#include "document/effects/GradientEffects.h"

namespace {

struct TPresetStop {
  float Position;
  std::uint8_t R, G, B;
};

struct TPreset {
  std::string_view Name;
  std::initializer_list<TPresetStop> Stops;
};

const std::array<std::string_view, GradientDirectionCount> kDirections{
    "Horizontal",   "Vertical",       "DiagonalUp",      "DiagonalDown", "FromLeftTop",
    "FromRightTop", "FromLeftBottom", "FromRightBottom", "FromCenter"};

const std::array<std::string_view, GradientFillMethodCount> kFillMethods{"Col1 to Col2", "Col2 to Col1",
                                                                         "Col1-Col2-Col1", "Col2-Col1-Col2"};

const std::array<TPreset, GradientPresetCount>& Presets() {
  static const std::array<TPreset, GradientPresetCount> presets{{
      {"EarlySunset", {{0, 0, 0, 130}, {0.34f, 122, 0, 133}, {0.6f, 170, 0, 110}, {0.87f, 255, 0, 0}, {1, 255, 126, 0}}},
      {"LateSunset",
       {{0, 0, 0, 0}, {0.2f, 26, 0, 64}, {0.45f, 42, 0, 64}, {0.74f, 118, 0, 64}, {0.82f, 190, 55, 34}, {1, 255, 191, 0}}},
      {"Nightfall", {{0, 0, 0, 0}, {0.5f, 16, 22, 166}, {0.7f, 16, 22, 166}, {0.86f, 110, 6, 212}, {1, 139, 60, 147}}},
      {"Daybreak", {{0, 94, 158, 255}, {0.5f, 152, 200, 249}, {1, 255, 235, 250}}},
      {"Horizon",
       {{0, 218, 234, 244}, {0.13f, 118, 144, 185}, {0.18f, 131, 166, 194}, {0.52f, 255, 255, 255},
        {0.58f, 129, 49, 46}, {0.71f, 187, 79, 76}, {0.94f, 233, 216, 210}, {1, 88, 42, 32}}},
      {"Desert",
       {{0, 252, 159, 201}, {0.13f, 248, 176, 73}, {0.19f, 248, 176, 73}, {0.63f, 254, 230, 241}, {0.69f, 198, 10, 75},
        {0.81f, 183, 68, 130}, {1, 248, 176, 73}}},
      {"Ocean", {{0, 3, 212, 168}, {0.25f, 31, 214, 220}, {1, 0, 92, 191}}},
      {"CalmWater",
       {{0, 204, 204, 255}, {0.17f, 154, 204, 255}, {0.36f, 153, 102, 255}, {0.59f, 203, 154, 255},
        {0.81f, 164, 204, 255}, {1, 204, 204, 255}}},
      {"Fire", {{0, 255, 242, 0}, {0.72f, 243, 3, 1}, {1, 79, 8, 8}}},
      {"Fog", {{0, 132, 136, 196}, {0.53f, 212, 222, 255}, {0.83f, 212, 222, 255}, {1, 150, 171, 148}}},
      {"Moss", {{0, 221, 235, 207}, {0.5f, 162, 188, 118}, {1, 21, 107, 19}}},
      {"Peacock",
       {{0, 51, 153, 255}, {0.16f, 0, 204, 204}, {0.46f, 150, 154, 254}, {0.59f, 51, 105, 151}, {0.7f, 50, 61, 193},
        {0.81f, 17, 112, 254}, {1, 0, 102, 153}}},
      {"Wheat",
       {{0, 251, 234, 199}, {0.16f, 254, 231, 241}, {0.37f, 250, 199, 125}, {0.61f, 251, 171, 127},
        {0.81f, 251, 213, 163}, {1, 254, 230, 239}}},
      {"Parchment", {{0, 255, 239, 209}, {0.55f, 243, 236, 212}, {0.75f, 230, 222, 196}, {1, 209, 195, 159}}},
      {"Mahogany", {{0, 214, 178, 156}, {0.5f, 190, 124, 76}, {0.75f, 146, 75, 33}, {1, 104, 49, 19}}},
      {"Rainbow", {}},
      {"RainbowII",
       {{0, 255, 51, 153}, {0.23f, 255, 102, 51}, {0.48f, 255, 248, 2}, {0.8f, 4, 163, 150}, {1, 51, 102, 255}}},
      {"Gold",
       {{0, 230, 220, 172}, {0.12f, 230, 214, 136}, {0.3f, 200, 173, 78}, {0.45f, 229, 214, 136}, {0.77f, 200, 174, 80},
        {1, 229, 219, 170}}},
      {"Gold2",
       {{0, 250, 227, 172}, {0.13f, 190, 147, 43}, {0.63f, 250, 227, 173}, {0.67f, 189, 146, 45}, {0.69f, 132, 95, 24},
        {0.79f, 151, 122, 55}, {1, 250, 227, 183}}},
      {"Brass",
       {{0, 132, 87, 0}, {0.14f, 253, 166, 0}, {0.28f, 132, 87, 0}, {0.42f, 253, 166, 0}, {0.58f, 132, 87, 0},
        {0.72f, 253, 166, 0}, {0.87f, 132, 87, 0}, {1, 253, 166, 0}}},
      {"Chrome",
       {{0, 254, 254, 254}, {0.16f, 38, 38, 38}, {0.18f, 253, 253, 253}, {0.42f, 101, 101, 101}, {0.54f, 207, 207, 207},
        {0.66f, 203, 203, 203}, {0.76f, 37, 37, 37}, {0.79f, 253, 253, 253}, {1, 129, 129, 129}}},
      {"ChromeII",
       {{0, 203, 203, 203}, {0.13f, 95, 95, 95}, {0.21f, 95, 95, 95}, {0.61f, 255, 255, 255}, {0.63f, 239, 239, 239},
        {0.69f, 43, 43, 43}, {1, 234, 234, 234}}},
      {"Silver",
       {{0, 255, 255, 255}, {0.32f, 126, 133, 151}, {0.47f, 228, 228, 228}, {0.85f, 126, 133, 150}, {1, 228, 228, 228}}},
      {"Sapphire",
       {{0, 0, 1, 131}, {0.14f, 0, 70, 254}, {0.28f, 0, 1, 131}, {0.42f, 0, 70, 254}, {0.56f, 0, 1, 131},
        {0.7f, 0, 70, 254}, {0.84f, 0, 1, 131}, {1, 0, 70, 254}}},
  }};
  return presets;
}

template <std::size_t N>
std::string_view NameAt(const std::array<std::string_view, N>& names, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < N ? names[static_cast<std::size_t>(index)] : std::string_view();
}

// Red, green, blue (0..1) of a wavelength in nanometres, and how bright the
// eye sees it at the ends of the range.
struct TSpectrumColor {
  long double R = 0, G = 0, B = 0, Factor = 0;
};

TSpectrumColor SpectrumColor(long double w) {
  TSpectrumColor c;
  const long long n = static_cast<long long>(w);
  if (n >= 380 && n < 440) c = {(440 - w) / 60, 0, 1, 0};
  else if (n >= 440 && n < 490) c = {0, (w - 440) / 50, 1, 0};
  else if (n >= 490 && n < 510) c = {0, 1, (510 - w) / 20, 0};
  else if (n >= 510 && n < 580) c = {(w - 510) / 70, 1, 0, 0};
  else if (n >= 580 && n < 645) c = {1, (645 - w) / 65, 0, 0};
  else if (n >= 645 && n <= 780) c = {1, 0, 0, 0};
  if (n >= 380 && n < 420) c.Factor = 0.3L + 0.7L * (w - 380) / 40;
  else if (n >= 420 && n <= 700) c.Factor = 1;
  else if (n >= 701 && n <= 780) c.Factor = 0.3L + 0.7L * (780 - w) / 80;
  return c;
}

std::uint32_t SpectrumByte(long double value, long double factor) {
  return value == 0 ? 0 : RoundToByte(std::pow(value * factor, 0.8L) * 255);
}

}  // namespace

std::string_view GradientDirectionName(int direction) { return NameAt(kDirections, direction); }
std::string_view GradientFillMethodName(int method) { return NameAt(kFillMethods, method); }

std::string_view GradientPresetName(int preset) {
  return preset >= 0 && preset < GradientPresetCount ? Presets()[static_cast<std::size_t>(preset)].Name
                                                     : std::string_view();
}

void AddPresetStops(int preset, TdocColorStopList& stops) {
  if (preset < 0 || preset >= GradientPresetCount) return;
  for (const TPresetStop& stop : Presets()[static_cast<std::size_t>(preset)].Stops)
    stops.AddStop(0xFF000000u | std::uint32_t{stop.R} << 16 | std::uint32_t{stop.G} << 8 | stop.B, stop.Position);
}

TdocPalette SpectrumPalette() {
  // Fixed, and slow to work out (three powers an entry): worked out once for
  // every rainbow gradient there is.
  static const TdocPalette spectrum = [] {
    TdocPalette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const long double w = 380 + i * 1.5686274509803921L;
      const TSpectrumColor c = SpectrumColor(w);
      palette[i] = 0xFF000000u | SpectrumByte(c.R, c.Factor) << 16 | SpectrumByte(c.G, c.Factor) << 8 |
                   SpectrumByte(c.B, c.Factor);
    }
    return palette;
  }();
  return spectrum;
}

TColor32 LerpColor(TColor32 c1, TColor32 c2, float t) {
  // Not a number (a stop at a stored position that is not one) counts as 0.
  const double f = t > 0 ? std::min(t, 1.0f) : 0.0f;
  // In double, as in extended precision: for f of 2^-21 or more, 1 - f, both
  // products and their sum are exact (f has 24 significant bits, a channel
  // 8); below, the mix lies within 2^-13 of c1's channel and rounds to it
  // either way.
  TColor32 result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double a = c1 >> shift & 0xFF, b = c2 >> shift & 0xFF;
    result |= TColor32{RoundToByte((1 - f) * a + f * b)} << shift;
  }
  return result;
}
