#include "platform/gdi/Raster.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace gdi {
namespace {

using Wide = __int128;

// floor(numerator / denominator) for a positive denominator.
std::int64_t FloorDiv(Wide numerator, Wide denominator) {
  Wide quotient = numerator / denominator;
  if (numerator % denominator != 0 && numerator < 0) --quotient;
  return static_cast<std::int64_t>(quotient);
}

std::int64_t CeilDiv(Wide numerator, Wide denominator) { return -FloorDiv(-numerator, denominator); }

void FillSpan(const TPixelSurface& surface, std::int64_t y, std::int64_t x1, std::int64_t x2, std::uint32_t pixel) {
  if (y < 0 || y >= surface.Height) return;
  x1 = std::max<std::int64_t>(x1, 0);
  x2 = std::min<std::int64_t>(x2, surface.Width);
  if (x1 >= x2) return;
  std::uint32_t* row = surface.ScanLine(static_cast<int>(y));
  std::fill(row + x1, row + x2, pixel);
}

// x where the edge a-b crosses the scan line y, rounded up: the first pixel
// column whose sample point lies on or right of the edge.
std::int64_t CrossingColumn(const TPoint& a, const TPoint& b, std::int64_t y) {
  // An upright edge crosses every scan line at its own column.
  if (a.X == b.X) return a.X;
  const Wide dy = Wide{b.Y} - a.Y;
  const Wide numerator = Wide{a.X} * dy + (Wide{y} - a.Y) * (Wide{b.X} - a.X);
  return dy > 0 ? CeilDiv(numerator, dy) : CeilDiv(-numerator, -dy);
}

void XorSpan(const TPixelSurface& surface, std::int64_t y, std::int64_t x1, std::int64_t x2, std::uint32_t pixel) {
  if (y < 0 || y >= surface.Height) return;
  x1 = std::max<std::int64_t>(x1, 0);
  x2 = std::min<std::int64_t>(x2, surface.Width);
  std::uint32_t* row = surface.ScanLine(static_cast<int>(y));
  for (std::int64_t x = x1; x < x2; ++x) row[x] = (row[x] ^ pixel) & 0x00FFFFFFu;
}

void StampPixel(const TPixelSurface& surface, std::int64_t x, std::int64_t y, int width, std::uint32_t pixel,
                bool xorMode) {
  const int before = (width - 1) / 2;
  for (std::int64_t row = y - before; row < y - before + width; ++row) {
    if (xorMode)
      XorSpan(surface, row, x - before, x - before + width, pixel);
    else
      FillSpan(surface, row, x - before, x - before + width, pixel);
  }
}

// The least and greatest x and y of an upright rectangle's corners.
TRect CornerSpan(std::span<const TPoint> points) {
  const auto [left, right] = std::minmax({points[0].X, points[1].X, points[2].X});
  const auto [top, bottom] = std::minmax({points[0].Y, points[1].Y, points[2].Y});
  return {left, top, right, bottom};
}

// What the pen stamps along a level or upright line from from to to (the
// last point left out), width pixels square at each point.
void FillStampedRect(const TPixelSurface& surface, const TPoint& from, const TPoint& to, int width,
                     std::uint32_t pixel) {
  const std::int64_t before = (width - 1) / 2;
  const std::int64_t stepX = to.X > from.X ? 1 : (to.X < from.X ? -1 : 0);
  const std::int64_t stepY = to.Y > from.Y ? 1 : (to.Y < from.Y ? -1 : 0);
  const std::int64_t lastX = std::int64_t{to.X} - stepX, lastY = std::int64_t{to.Y} - stepY;
  const std::int64_t left = std::min<std::int64_t>(from.X, lastX) - before;
  const std::int64_t right = std::max<std::int64_t>(from.X, lastX) - before + width;
  const std::int64_t top = std::max<std::int64_t>(std::min<std::int64_t>(from.Y, lastY) - before, 0);
  const std::int64_t bottom =
      std::min<std::int64_t>(std::max<std::int64_t>(from.Y, lastY) - before + width, surface.Height);
  for (std::int64_t y = top; y < bottom; ++y) FillSpan(surface, y, left, right, pixel);
}

// Whether the centre of pixel (x, y) lies inside the ellipse inscribed in rect.
bool InEllipse(const TRect& rect, std::int64_t x, std::int64_t y) {
  const double rx = (static_cast<double>(rect.Right) - rect.Left) / 2;
  const double ry = (static_cast<double>(rect.Bottom) - rect.Top) / 2;
  const double dx = (x + 0.5 - rect.Left - rx) / rx, dy = (y + 0.5 - rect.Top - ry) / ry;
  return dx * dx + dy * dy <= 1.0;
}

template <class Keep>
void WriteEllipse(const TPixelSurface& surface, const TRect& rect, std::uint32_t pixel, Keep keep) {
  if (surface.IsEmpty() || rect.Right <= rect.Left || rect.Bottom <= rect.Top) return;
  const std::int64_t top = std::max<std::int64_t>(rect.Top, 0), bottom = std::min<std::int64_t>(rect.Bottom, surface.Height);
  const std::int64_t left = std::max<std::int64_t>(rect.Left, 0), right = std::min<std::int64_t>(rect.Right, surface.Width);
  for (std::int64_t y = top; y < bottom; ++y)
    for (std::int64_t x = left; x < right; ++x)
      if (InEllipse(rect, x, y) && keep(x, y)) surface.Pixel(static_cast<int>(x), static_cast<int>(y)) = pixel;
}

}  // namespace

std::uint32_t PixelOf(TColor color) {
  const auto rgb = static_cast<std::uint32_t>(ColorToRGB(color));
  return ((rgb & 0xFFu) << 16) | (rgb & 0xFF00u) | ((rgb >> 16) & 0xFFu);
}

TColor ColorOfPixel(std::uint32_t pixel) {
  return static_cast<TColor>(((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu));
}

void FillRect(const TPixelSurface& surface, const TRect& rect, std::uint32_t pixel) {
  if (surface.IsEmpty()) return;
  const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, surface.Height);
  const int left = std::max(rect.Left, 0), right = std::min(rect.Right, surface.Width);
  if (top >= bottom || left >= right) return;
  // Clipped once: a barcode bar is a few pixels wide and hundreds of rows high.
  const auto count = static_cast<std::size_t>(right - left);
  std::uint32_t* row = surface.ScanLine(top) + left;
  for (int y = top; y < bottom; ++y, row += surface.RowPitch()) std::fill_n(row, count, pixel);
}

bool IsUprightRectangle(std::span<const TPoint> points) {
  if (points.size() != 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    const TPoint& a = points[i];
    const TPoint& b = points[(i + 1) % 4];
    const TPoint& c = points[(i + 2) % 4];
    // Each corner ends a level edge and starts an upright one, or the other way round.
    if (!((a.Y == b.Y && b.X == c.X) || (a.X == b.X && b.Y == c.Y))) return false;
  }
  return true;
}

void FillOutlinedRectangle(const TPixelSurface& surface, std::span<const TPoint> points, std::uint32_t pixel) {
  const TRect span = CornerSpan(points);
  // The outline adds the far column and row to what the fill covers; beyond
  // the largest coordinate lies no surface anyway.
  const auto beyond = [](std::int32_t v) { return v < std::numeric_limits<std::int32_t>::max() ? v + 1 : v; };
  FillRect(surface, {span.Left, span.Top, beyond(span.Right), beyond(span.Bottom)}, pixel);
}

void FillPolygon(const TPixelSurface& surface, std::span<const TPoint> points, std::uint32_t pixel) {
  if (surface.IsEmpty() || points.size() < 3) return;
  if (IsUprightRectangle(points)) {
    // The scan lines below would fill exactly this; barcode bars are such.
    FillRect(surface, CornerSpan(points), pixel);
    return;
  }
  const auto [low, high] = std::minmax_element(points.begin(), points.end(),
                                               [](const TPoint& a, const TPoint& b) { return a.Y < b.Y; });
  const std::int64_t top = std::max<std::int64_t>(low->Y, 0);
  const std::int64_t bottom = std::min<std::int64_t>(high->Y, surface.Height);
  std::vector<std::int64_t> crossings;
  for (std::int64_t y = top; y < bottom; ++y) {
    crossings.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
      const TPoint& a = points[i];
      const TPoint& b = points[(i + 1) % points.size()];
      // Each edge owns its upper end and not its lower one, so a vertex
      // between two edges is counted once and horizontal edges never.
      if (std::min(a.Y, b.Y) <= y && y < std::max(a.Y, b.Y)) crossings.push_back(CrossingColumn(a, b, y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) FillSpan(surface, y, crossings[i], crossings[i + 1], pixel);
  }
}

void DrawLine(const TPixelSurface& surface, TPoint from, TPoint to, int width, std::uint32_t pixel, TLineStyle style) {
  if (surface.IsEmpty()) return;
  width = std::max(width, 1);
  const std::int64_t dx = std::int64_t{to.X} - from.X;
  const std::int64_t dy = std::int64_t{to.Y} - from.Y;
  if ((dx == 0) != (dy == 0) && !style.Dotted && !style.Xor) {
    // Level or upright and solid: the stamps below join into one rectangle.
    FillStampedRect(surface, from, to, width, pixel);
    return;
  }
  const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  const std::int64_t major = xMajor ? dx : dy;
  const std::int64_t minor = xMajor ? dy : dx;
  const std::int64_t steps = major < 0 ? -major : major;
  if (steps == 0) return;
  const std::int64_t majorSign = major < 0 ? -1 : 1;
  const std::int64_t minorSign = minor < 0 ? -1 : 1;
  const std::int64_t minorSteps = minor < 0 ? -minor : minor;
  const std::int64_t majorStart = xMajor ? from.X : from.Y;
  const std::int64_t minorStart = xMajor ? from.Y : from.X;
  const std::int64_t majorExtent = xMajor ? surface.Width : surface.Height;
  const std::int64_t minorExtent = xMajor ? surface.Height : surface.Width;

  // Only the steps whose major coordinate can reach the surface are walked,
  // so a line of any length costs at most a surface side.
  std::int64_t first = 0;
  std::int64_t last = steps - 1;
  const std::int64_t low = -width;
  const std::int64_t high = majorExtent + width;
  if (majorSign > 0) {
    first = std::max(first, low - majorStart);
    last = std::min(last, high - 1 - majorStart);
  } else {
    first = std::max(first, majorStart - high + 1);
    last = std::min(last, majorStart - low);
  }
  for (std::int64_t t = first; t <= last; ++t) {
    if (style.Dotted && t % 2 != 0) continue;
    const std::int64_t offset = minorSteps == 0 ? 0 : FloorDiv(Wide{2} * t * minorSteps + steps, Wide{2} * steps);
    const std::int64_t majorAt = majorStart + majorSign * t;
    const std::int64_t minorAt = minorStart + minorSign * offset;
    if (minorAt < -width || minorAt >= minorExtent + width) continue;
    if (xMajor)
      StampPixel(surface, majorAt, minorAt, width, pixel, style.Xor);
    else
      StampPixel(surface, minorAt, majorAt, width, pixel, style.Xor);
  }
}

void FillEllipse(const TPixelSurface& surface, const TRect& rect, std::uint32_t pixel) {
  WriteEllipse(surface, rect, pixel, [](std::int64_t, std::int64_t) { return true; });
}

void OutlineEllipse(const TPixelSurface& surface, const TRect& rect, std::uint32_t pixel) {
  WriteEllipse(surface, rect, pixel, [&rect](std::int64_t x, std::int64_t y) {
    return !InEllipse(rect, x - 1, y) || !InEllipse(rect, x + 1, y) || !InEllipse(rect, x, y - 1) ||
           !InEllipse(rect, x, y + 1);
  });
}

}  // namespace gdi
