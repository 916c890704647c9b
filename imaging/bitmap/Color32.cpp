#include "imaging/bitmap/Color32.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Numbers.h"

namespace imaging {

std::array<std::uint8_t, 256> GammaTable{};

namespace {

std::uint8_t HueStep(float m1, float m2, float h) {
  h -= std::floor(h);
  float value;
  if (6 * h < 1) value = m1 + (m2 - m1) * 6 * h;
  else if (2 * h < 1) value = m2;
  else if (3 * h < 2) value = m1 + (m2 - m1) * (2.0f / 3 - h) * 6;
  else value = m1;
  return static_cast<std::uint8_t>(std::clamp(rtl::Round(value * 255), 0, 255));
}

}  // namespace

TColor32 Color32(TColor color) {
  const auto rgb = static_cast<std::uint32_t>(ColorToRGB(color));
  return 0xFF000000u | (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
}

TColor32 HSLtoRGB(float h, float s, float l) {
  if (s == 0) {
    const auto grey = static_cast<std::uint8_t>(std::clamp(rtl::Round(255 * l), 0, 255));
    return Color32(grey, grey, grey);
  }
  const float m2 = l <= 0.5f ? l * (1 + s) : l + s - l * s;
  const float m1 = 2 * l - m2;
  return Color32(HueStep(m1, m2, h + 1.0f / 3), HueStep(m1, m2, h), HueStep(m1, m2, h - 1.0f / 3));
}

void RGBtoHSL(TColor32 color, float& h, float& s, float& l) {
  const float r = RedComponent(color) / 255.0f;
  const float g = GreenComponent(color) / 255.0f;
  const float b = BlueComponent(color) / 255.0f;
  const float max = std::max({r, g, b});
  const float min = std::min({r, g, b});
  l = (max + min) / 2;
  if (max == min) {
    h = 0;
    s = 0;
    return;
  }
  const float delta = max - min;
  s = l < 0.5f ? delta / (max + min) : delta / (2 - max - min);
  if (r == max) h = (g - b) / delta;
  else if (g == max) h = 2 + (b - r) / delta;
  else h = 4 + (r - g) / delta;
  h /= 6;
  if (h < 0) h += 1;
}

void SetGamma(double gamma) {
  for (int i = 0; i < 256; ++i)
    GammaTable[i] = static_cast<std::uint8_t>(rtl::Round(255 * std::pow(i / 255.0, gamma)));
}

}  // namespace imaging
