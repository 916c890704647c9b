#pragma once
// The pixels of each bitmap row that a convex quadrilateral (a turned
// rectangle in pixel coordinates) comes within a given reach of.

#include <array>
#include <cstdint>
#include <utility>

#include "imaging/docgraphics/DocGraphics.h"

class TdocRowSpans {
public:
  TdocRowSpans(const std::array<TFloatPoint, 4>& corners, double reach);
  // First row and the row after the last one touched.
  std::int32_t Top() const { return TopRow; }
  std::int32_t Bottom() const { return BottomRow; }
  // Columns [first, last) of row y, held in 0 .. width.
  std::pair<std::int32_t, std::int32_t> Row(std::int32_t y, std::int32_t width) const;

private:
  std::array<TFloatPoint, 4> Corners;
  double Reach;
  std::int32_t TopRow;
  std::int32_t BottomRow;
};
