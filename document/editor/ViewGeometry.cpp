#include "document/editor/ViewGeometry.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Numbers.h"

namespace docview {

std::int32_t ClampScrollOffset(std::int32_t offset, std::int32_t virtualSize, std::int32_t clientSize,
                               bool noCentring) {
  const std::int32_t spare = !noCentring && virtualSize != 0 ? std::max(0, clientSize - virtualSize) : 0;
  return std::max(-(spare / 2), std::min(offset, virtualSize - clientSize));
}

float ScrollFactor(std::int32_t virtualWidth, std::int32_t virtualHeight) {
  const std::int32_t longest = std::max(virtualWidth, virtualHeight);
  return longest > MaxScrollRange ? static_cast<float>(MaxScrollRange) / static_cast<float>(longest) : 1.0f;
}

bool UsableScreenScale(double scale) {
  return std::isfinite(scale) && scale >= MinScreenScale && scale <= MaxScreenScale;
}

namespace {

bool FitsCanvas(double value) { return std::isfinite(value) && std::fabs(value) <= MaxCanvasSize; }

}  // namespace

std::optional<TViewArea> ZoomArea(const TViewArea& area, std::int32_t clientWidth, std::int32_t clientHeight,
                                  double factor) {
  if (!std::isfinite(factor) || factor <= 0.0) return std::nullopt;
  const double halfWidth = clientWidth * 0.5;
  const double halfHeight = clientHeight * 0.5;
  const bool atOrigin = area.X == 0 && area.Y == 0;
  const double x = atOrigin ? 0.0 : (halfWidth + area.X) * factor - halfWidth;
  const double y = atOrigin ? 0.0 : (halfHeight + area.Y) * factor - halfHeight;
  const double width = area.Width * factor;
  const double height = area.Height * factor;
  if (!FitsCanvas(x) || !FitsCanvas(y) || !FitsCanvas(width) || !FitsCanvas(height)) return std::nullopt;
  return TViewArea{rtl::Round(x), rtl::Round(y), rtl::Round(width), rtl::Round(height)};
}

std::optional<float> FitScale(std::int32_t clientSize, std::int32_t spare, double length) {
  if (!(length > 0.0)) return std::nullopt;
  const double scale = (clientSize - spare) / length;
  if (!UsableScreenScale(scale)) return std::nullopt;
  return static_cast<float>(scale);
}

}  // namespace docview
