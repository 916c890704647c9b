#include "imaging/bitmap/LineClip.h"

#include <algorithm>
#include <cstdlib>

namespace imaging {
namespace {

enum : unsigned { kLeft = 1, kRight = 2, kAbove = 4, kBelow = 8 };

struct TEnd {
  std::int64_t X, Y;
  unsigned Code;
};

unsigned HorizontalCode(std::int64_t x, std::int64_t minX, std::int64_t maxX) {
  return x < minX ? kLeft : x > maxX ? kRight : 0u;
}
unsigned VerticalCode(std::int64_t y, std::int64_t minY, std::int64_t maxY) {
  return y < minY ? kAbove : y > maxY ? kBelow : 0u;
}

// a x b / c rounded half away from zero, as the 32-bit multiply-divide does,
// but in 128 bits so that no coordinates can overflow it.
std::int64_t MulDiv64(std::int64_t a, std::int64_t b, std::int64_t c) {
  const __int128 product = static_cast<__int128>(a) * b;
  const __int128 magnitude = product < 0 ? -product : product;
  const __int128 divisor = c < 0 ? -__int128{c} : __int128{c};
  const __int128 quotient = (2 * magnitude + divisor) / (2 * divisor);
  return static_cast<std::int64_t>(((product < 0) != (c < 0)) ? -quotient : quotient);
}

}  // namespace

bool ClipLine(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2, std::int32_t& y2, std::int32_t minX,
              std::int32_t minY, std::int32_t maxX, std::int32_t maxY) {
  TEnd ends[2] = {{x1, y1, 0}, {x2, y2, 0}};
  const std::int64_t dx = std::int64_t{x2} - x1;
  const std::int64_t dy = std::int64_t{y2} - y1;
  for (TEnd& e : ends) e.Code = HorizontalCode(e.X, minX, maxX) | VerticalCode(e.Y, minY, maxY);
  if ((ends[0].Code | ends[1].Code) == 0) return true;
  if ((ends[0].Code & ends[1].Code) != 0) return false;

  // Onto the horizontal edges first (a vertical code implies dy != 0, since
  // a horizontal line outside the rows shares its code with the other end).
  for (TEnd& e : ends) {
    if ((e.Code & (kAbove | kBelow)) == 0) continue;
    const std::int64_t limit = e.Code < kBelow ? minY : maxY;
    e.X += MulDiv64(limit - e.Y, dx, dy);
    e.Y = limit;
    e.Code = HorizontalCode(e.X, minX, maxX);
  }
  if ((ends[0].Code | ends[1].Code) != 0 && (ends[0].Code & ends[1].Code) != 0) return false;

  for (TEnd& e : ends) {
    if (e.Code == 0) continue;
    const std::int64_t limit = e.Code == kLeft ? minX : maxX;
    // Rounding in the first pass can leave a line that grazes a corner just
    // outside the band; keep the end point on the rectangle all the same.
    e.Y = std::clamp<std::int64_t>(e.Y + MulDiv64(limit - e.X, dy, dx), minY, maxY);
    e.X = limit;
  }
  x1 = static_cast<std::int32_t>(ends[0].X);
  y1 = static_cast<std::int32_t>(ends[0].Y);
  x2 = static_cast<std::int32_t>(ends[1].X);
  y2 = static_cast<std::int32_t>(ends[1].Y);
  return true;
}

}  // namespace imaging
