#include "document/editor/BorderPainter.h"

#include <algorithm>
#include <cstdlib>

#include "document/shape/Shape.h"
#include "document/render/ScreenPolygon.h"
#include "platform/rtl/Exception.h"

namespace {

// How far the frame lies outside the shape, in millimetres.
constexpr float BorderDistance = 1.0f;

TPoint ScreenPixel(const TdocShape& shape, const TdocCorner& corner) {
  const TFloatPoint p = shape.ShapeToScreen({corner.X, corner.Y});
  return Point(document::ScreenRound(p.X), document::ScreenRound(p.Y));
}

}  // namespace

const TdocShape& TdocBorderPainter::CheckedShape() const {
  if (!Shape) throw Exception("TextShape object must be assigned");
  return *Shape;
}

TColor TdocBorderPainter::GetColor() const {
  if (!Shape || !Shape->GetDocument()) return 0;
  return Shape->GetDocument()->GetHandleEdgeColor();
}

void TdocBorderPainter::SetCornerCount(int count) { Corners.resize(std::size_t(std::max(count, 0))); }

void TdocBorderPainter::SetBorderCount(int count) { Borders.resize(std::size_t(std::max(count, 0))); }

void TdocBorderPainter::Layout() {
  const TdocShape& shape = CheckedShape();
  const float w = shape.GetDocWidth();
  const float h = shape.GetDocHeight();
  const float d = BorderDistance;
  Corners = {{-d, -d}, {-d, h + d}, {w + d, h + d}, {w + d, -d}};
  Borders = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
}

void TdocBorderPainter::Paint(TCanvas& canvas) const {
  if (Borders.empty()) return;
  const TdocShape& shape = CheckedShape();
  const TColor color = GetColor();
  for (const TdocBorder& border : Borders) {
    const auto corner = [this](std::int32_t index) -> const TdocCorner& {
      if (index < 0 || std::size_t(index) >= Corners.size()) throw EListError("List index out of bounds");
      return Corners[std::size_t(index)];
    };
    document::DrawDottedLine(canvas, ScreenPixel(shape, corner(border.StartCorner)),
                             ScreenPixel(shape, corner(border.EndCorner)), color);
  }
}

namespace document {

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The steps i in 0..steps at which from + d * i / steps can lie within
// 0..extent - 1, widened by one step for rounding.
void ClipSteps(std::int64_t from, std::int64_t d, std::int64_t steps, int extent, std::int64_t& first, std::int64_t& last) {
  if (d == 0) {
    if (from < 0 || from >= extent) last = -1;
    return;
  }
  double a = double(0 - from) * double(steps) / double(d);
  double b = double(extent - 1 - from) * double(steps) / double(d);
  if (a > b) std::swap(a, b);
  first = std::max<std::int64_t>(first, static_cast<std::int64_t>(std::max(a - 1, -1.0)));
  last = std::min<std::int64_t>(last, static_cast<std::int64_t>(std::min(b + 1, double(steps))));
}

}  // namespace

void DrawDottedLine(TCanvas& canvas, TPoint from, TPoint to, TColor color) {
  const std::int64_t dx = std::int64_t{to.X} - from.X;
  const std::int64_t dy = std::int64_t{to.Y} - from.Y;
  const std::int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
  const TPixelSurface& surface = canvas.GetSurface();
  std::int64_t first = 0;
  std::int64_t last = steps;
  ClipSteps(from.X, dx, steps, surface.Width, first, last);
  ClipSteps(from.Y, dy, steps, surface.Height, first, last);
  // Every other pixel counted from the start, wherever the walk begins.
  for (std::int64_t i = std::max<std::int64_t>(0, first) & ~std::int64_t{1}; i <= last; i += 2) {
    // Nearest pixel of the exact point, halves rounded up.
    const auto along = [&](std::int64_t start, std::int64_t d) {
      return steps ? start + FloorDiv(2 * d * i + steps, 2 * steps) : start;
    };
    const std::int64_t x = along(from.X, dx);
    const std::int64_t y = along(from.Y, dy);
    if (x >= 0 && y >= 0 && x < surface.Width && y < surface.Height)
      canvas.SetPixel(static_cast<int>(x), static_cast<int>(y), color);
  }
}

}  // namespace document
