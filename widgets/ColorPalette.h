#pragma once
// The colours the drop-down palette offers: 40 named colours in an 8-column
// grid, then the 25 classic system colours in a second grid.

#include <array>
#include <string_view>

#include "platform/gdi/Color.h"

namespace widgets {

struct TPaletteEntry {
  std::string_view Hint;
  TColor Value;
};

constexpr int kPaletteColumns = 8;
constexpr int kNamedColorCount = 40;
constexpr int kSystemColorCount = 25;
constexpr int kFirstSystemCell = kNamedColorCount;
constexpr int kPaletteCellCount = kNamedColorCount + kSystemColorCount;

// Cell numbers outside the grids.
constexpr int kNoCell = -1;
constexpr int kCustomCell = -2;
constexpr int kDefaultCell = -3;

extern const std::array<TPaletteEntry, kPaletteCellCount> kPalette;

// Rows a grid of `count` cells needs with 8 cells a row.
constexpr int PaletteRows(int count) { return count / kPaletteColumns + (count % kPaletteColumns != 0 ? 1 : 0); }

}  // namespace widgets
