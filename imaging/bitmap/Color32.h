#pragma once
// The 32-bit colour of the raster library: 0xAARRGGBB, not premultiplied,
// alpha 255 opaque; in memory the bytes run blue, green, red, alpha.

#include <array>
#include <cstdint>

#include "platform/gdi/Color.h"

using TColor32 = std::uint32_t;

constexpr TColor32 clBlack32 = 0xFF000000u;
constexpr TColor32 clWhite32 = 0xFFFFFFFFu;
constexpr TColor32 clTransparent32 = 0x00000000u;

namespace imaging {

constexpr TColor32 Color32(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
  return TColor32{a} << 24 | TColor32{r} << 16 | TColor32{g} << 8 | b;
}
// Opaque colour of a Windows colour value; system colours are looked up.
TColor32 Color32(TColor color);

constexpr std::uint8_t AlphaComponent(TColor32 c) { return static_cast<std::uint8_t>(c >> 24); }
constexpr std::uint8_t RedComponent(TColor32 c) { return static_cast<std::uint8_t>(c >> 16); }
constexpr std::uint8_t GreenComponent(TColor32 c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t BlueComponent(TColor32 c) { return static_cast<std::uint8_t>(c); }

// Opaque colour from hue, saturation and lightness, each 0..1.
TColor32 HSLtoRGB(float h, float s, float l);
// Hue, saturation and lightness (0..1) of a colour; alpha is ignored.
void RGBtoHSL(TColor32 color, float& h, float& s, float& l);

// GammaTable[i] = Round(255 x (i / 255) ^ gamma); the antialiased points and
// the bilinear sampling of the bitmap weigh through it. Start-up sets 0.7.
extern std::array<std::uint8_t, 256> GammaTable;
void SetGamma(double gamma);

}  // namespace imaging
