#include "widgets/ColorComb.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace widgets {

namespace {

struct TFloatColor {
  float R, G, B;
};

// Corner colours in the order of the step directions below: magenta up, then
// clockwise red, yellow, green, cyan and blue.
constexpr std::array<TFloatColor, 6> kCornerColors = {{
    {1, 0, 1}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1}, {0, 0, 1},
}};
constexpr std::array<float, 6> kStepAngles = {90, 30, -30, -90, -150, -210};

TCombPoint StepDirection(int sector) {
  const double radians = kStepAngles[static_cast<std::size_t>(sector % 6)] * std::numbers::pi / 180;
  // Screen y grows downwards, so an angle of 90 degrees points up.
  return {static_cast<float>(std::cos(radians) * kCombCellSize), static_cast<float>(-std::sin(radians) * kCombCellSize)};
}

int ChannelByte(float channel) { return static_cast<int>(std::nearbyint(255.0f * std::clamp(channel, 0.0f, 1.0f))); }

TColor ToColor(TFloatColor c) { return ChannelByte(c.R) | (ChannelByte(c.G) << 8) | (ChannelByte(c.B) << 16); }

TFloatColor Mix(TFloatColor a, TFloatColor b, float t) {
  return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

constexpr float kSqrt3 = 1.7320508f;

}  // namespace

// Neighbouring centres are one cell size apart, so flat-topped hexagons of
// this radius tile the comb without gaps.
float CombHexRadius() { return kCombCellSize / kSqrt3; }
float ColorCombHalfWidth() { return (kCombLevels - 1) * kCombCellSize * kSqrt3 / 2 + CombHexRadius(); }
float ColorCombHalfHeight() { return (kCombLevels - 1) * kCombCellSize + kCombCellSize / 2.0f; }

namespace {
constexpr int kGreyColumns = kGreyLevelCount / 2;
float GreyColumnStep() { return kCombCellSize * kSqrt3 / 2; }
float GreyStripWidth() { return (kGreyColumns - 1) * GreyColumnStep() + 2 * CombHexRadius(); }
float BlackCellGap() { return kCombCellSize / 2.0f; }
}  // namespace

float GreyCombWidth() { return GreyStripWidth() + BlackCellGap() + 4 * CombHexRadius(); }
float GreyCombHeight() { return 2.5f * kCombCellSize; }

TCombArray BuildColorComb(float centreX, float centreY, float intensity) {
  const TFloatColor centre{intensity, intensity, intensity};
  TCombArray comb;
  comb.reserve(kColorCombCellCount);
  comb.push_back({centreX, centreY, ToColor(centre)});
  const int rings = kCombLevels - 1;
  for (int ring = 1; ring <= rings; ++ring) {
    const float distance = static_cast<float>(ring) / rings;
    for (int sector = 0; sector < 6; ++sector) {
      const TCombPoint corner = StepDirection(sector);
      const TCombPoint next = StepDirection(sector + 1);
      for (int step = 0; step < ring; ++step) {
        const float along = static_cast<float>(step) / ring;
        const TFloatColor edge = Mix(kCornerColors[static_cast<std::size_t>(sector)],
                                     kCornerColors[static_cast<std::size_t>((sector + 1) % 6)], along);
        const float x = centreX + ring * corner.X + step * (next.X - corner.X);
        const float y = centreY + ring * corner.Y + step * (next.Y - corner.Y);
        comb.push_back({x, y, ToColor(Mix(centre, edge, distance))});
      }
    }
  }
  return comb;
}

TCombArray BuildGreyComb(float left, float top) {
  TCombArray comb;
  comb.reserve(kGreyCombCellCount);
  const float radius = CombHexRadius();
  for (int level = 0; level < kGreyLevelCount; ++level) {
    const int column = level / 2;
    const int row = level % 2;
    const float x = left + radius + column * GreyColumnStep();
    const float y = top + kCombCellSize / 2.0f + row * kCombCellSize + (column % 2) * (kCombCellSize / 2.0f);
    const int grey = 255 - level * 16;
    comb.push_back({x, y, grey | (grey << 8) | (grey << 16)});
  }
  comb.push_back({left + GreyStripWidth() + BlackCellGap() + 2 * radius, top + GreyCombHeight() / 2, clBlack});
  return comb;
}

int CombCellAt(const TCombArray& comb, float x, float y, bool largeLastCell) {
  for (std::size_t i = 0; i < comb.size(); ++i) {
    const bool large = largeLastCell && i + 1 == comb.size();
    const float reach = large ? kCombCellSize : kCombCellSize / 2.0f;
    if (std::hypot(comb[i].X - x, comb[i].Y - y) <= reach) return static_cast<int>(i);
  }
  return -1;
}

std::array<TCombPoint, 6> CombHexagon(const TCombCell& cell, float scale) {
  std::array<TCombPoint, 6> corners;
  const float radius = CombHexRadius() * scale;
  for (int k = 0; k < 6; ++k) {
    const double radians = k * std::numbers::pi / 3;
    corners[static_cast<std::size_t>(k)] = {cell.X + static_cast<float>(std::cos(radians)) * radius,
                                            cell.Y - static_cast<float>(std::sin(radians)) * radius};
  }
  return corners;
}

}  // namespace widgets
