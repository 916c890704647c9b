#include "imaging/core/RectHelpers.h"

#include <algorithm>

namespace imaging {

bool IntersectRect(TRect& dest, const TRect& a, const TRect& b) {
  dest = TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
               std::min(a.Bottom, b.Bottom)};
  if (dest.Right >= dest.Left && dest.Bottom >= dest.Top) return true;
  dest = TRect{};
  return false;
}

TFixedRect FixedRect(const TRect& rect) {
  return TFixedRect{Fixed(rect.Left), Fixed(rect.Top), Fixed(rect.Right), Fixed(rect.Bottom)};
}

TFloatRect FloatRect(const TRect& rect) {
  return TFloatRect{static_cast<float>(rect.Left), static_cast<float>(rect.Top), static_cast<float>(rect.Right),
                    static_cast<float>(rect.Bottom)};
}

TRect MakeRect(const TFixedRect& rect, TRectRounding rounding) {
  switch (rounding) {
    case rrOutside:
      return TRect{FixedFloor(rect.Left), FixedFloor(rect.Top), FixedCeil(rect.Right), FixedCeil(rect.Bottom)};
    case rrInside: {
      TRect result{FixedCeil(rect.Left), FixedCeil(rect.Top), FixedFloor(rect.Right), FixedFloor(rect.Bottom)};
      result.Right = std::max(result.Right, result.Left);
      result.Bottom = std::max(result.Bottom, result.Top);
      return result;
    }
    case rrClosest: break;
  }
  return TRect{FixedRound(rect.Left), FixedRound(rect.Top), FixedRound(rect.Right), FixedRound(rect.Bottom)};
}

void InflateRect(TFloatRect& rect, float dx, float dy) {
  rect.Left -= dx;
  rect.Top -= dy;
  rect.Right += dx;
  rect.Bottom += dy;
}

}  // namespace imaging
