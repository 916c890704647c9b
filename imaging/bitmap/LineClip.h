#pragma once
// Cohen-Sutherland clipping of a line to an inclusive rectangle.

#include <cstdint>

namespace imaging {

// Moves the end points of the line onto the rectangle minX .. maxX,
// minY .. maxY (inclusive). False when the line misses it.
bool ClipLine(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2, std::int32_t& y2, std::int32_t minX,
              std::int32_t minY, std::int32_t maxX, std::int32_t maxY);

}  // namespace imaging
