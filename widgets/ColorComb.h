#pragma once
// The hexagonal combs of the palette's custom area: a colour comb of 127
// cells (one centre cell and 6 x r cells on ring r = 1..6) blending from the
// centre colour towards six corner colours, and a grey comb of 16 grey
// levels followed by one larger black cell.

#include <array>
#include <vector>

#include "platform/gdi/Color.h"

namespace widgets {

struct TCombCell {
  float X = 0;
  float Y = 0;
  TColor Color = clBlack;
};
using TCombArray = std::vector<TCombCell>;

struct TCombPoint {
  float X = 0;
  float Y = 0;
};

constexpr int kCombLevels = 7;
constexpr int kCombRadius = 66;
constexpr int kCombCellSize = kCombRadius / (kCombLevels - 1);
constexpr int kColorCombCellCount = 1 + 3 * (kCombLevels - 1) * kCombLevels;  // 127
constexpr int kGreyLevelCount = 16;
constexpr int kGreyCombCellCount = kGreyLevelCount + 1;

// Centre-to-corner and centre-to-centre extents of the combs, in pixels.
float CombHexRadius();
float ColorCombHalfWidth();
float ColorCombHalfHeight();
float GreyCombWidth();
float GreyCombHeight();

// Colour comb around (centreX, centreY); the centre colour is white times
// `intensity` (0..1).
TCombArray BuildColorComb(float centreX, float centreY, float intensity);

// Grey comb with its top-left corner at (left, top): the grey levels from
// white down in two staggered rows, the black cell to their right.
TCombArray BuildGreyComb(float left, float top);

// Index of the first cell whose centre lies within half a comb cell of the
// point (the last cell within a whole cell when `largeLastCell`), or -1.
int CombCellAt(const TCombArray& comb, float x, float y, bool largeLastCell);

// The six corners of a cell's hexagon; `scale` 2 draws the larger cell.
std::array<TCombPoint, 6> CombHexagon(const TCombCell& cell, float scale);

}  // namespace widgets
