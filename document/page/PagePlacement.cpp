#include "document/page/PagePlacement.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Numbers.h"

TPagePlacement PlacePage(float width, float height, const TRect& paper) {
  const double pw = paper.Width(), ph = paper.Height();
  const double upright = std::min(pw / width, ph / height);
  const double turned = std::min(ph / width, pw / height);
  TPagePlacement placement;
  placement.Turned = upright < turned;
  placement.PageWidth = width;
  const double scale = std::max(upright, turned);
  if (!(scale > 0) || !std::isfinite(scale)) return placement;
  placement.Scale = scale;
  const std::int32_t w = rtl::Round(scale * (placement.Turned ? height : width));
  const std::int32_t h = rtl::Round(scale * (placement.Turned ? width : height));
  const std::int32_t left = paper.Left + static_cast<std::int32_t>((paper.Width() - w) / 2);
  const std::int32_t top = paper.Top + static_cast<std::int32_t>((paper.Height() - h) / 2);
  placement.Area = {left, top, left + w, top + h};
  return placement;
}

// Turned, the page's top edge runs up the left side of the area: page x
// grows upwards from the area's bottom, page y to the right.
TPoint TPagePlacement::DevicePoint(double x, double y) const {
  const double across = Turned ? y : x;
  const double down = Turned ? PageWidth - x : y;
  return {Area.Left + rtl::Round(across * Scale), Area.Top + rtl::Round(down * Scale)};
}

TRect TPagePlacement::DeviceRect(float left, float top, float right, float bottom, std::int32_t width,
                                 std::int32_t height) const {
  const TPoint a = DevicePoint(left, top);
  const TPoint b = DevicePoint(right, bottom);
  const TPoint origin{std::min(a.X, b.X), std::min(a.Y, b.Y)};
  return {origin.X, origin.Y, origin.X + width, origin.Y + height};
}
