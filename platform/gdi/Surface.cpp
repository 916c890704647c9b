#include "platform/gdi/Surface.h"

#include <algorithm>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace {

// Keeps a surface's byte size within what a 32-bit device-independent bitmap
// can describe, so that row arithmetic never overflows.
constexpr std::int64_t kMaxSurfaceBytes = 0x7FFFFFFF;

std::size_t CheckedPixelCount(int width, int height) {
  const std::int64_t count = std::int64_t{width} * height;
  if (width < 0 || height < 0 || count * 4 > kMaxSurfaceBytes)
    throw EOutOfMemory(rtl::Format("Cannot create a surface of %d x %d pixels", width, height));
  return static_cast<std::size_t>(count);
}

}  // namespace

TMemorySurface::TMemorySurface(int width, int height)
    : Width(width), Height(height), Pixels(CheckedPixelCount(width, height), 0u) {}

TPixelSurface TPixelSurface::View(const TRect& rect) const {
  const TRect bounds = Bounds();
  const int left = std::max(rect.Left, bounds.Left), top = std::max(rect.Top, bounds.Top);
  const int right = std::min(rect.Right, bounds.Right), bottom = std::min(rect.Bottom, bounds.Bottom);
  if (right <= left || bottom <= top) return {};
  return TPixelSurface{ScanLine(top) + left, right - left, bottom - top, RowPitch()};
}
