#include "imaging/polygon/Polygon32.h"

#include <algorithm>
#include <limits>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/polygon/PolygonRasterizer.h"
#include "imaging/polygon/Transformation.h"

namespace {

TFixedPoint Mapped(const TFixedPoint& p, const TTransformation* transformation) {
  return transformation != nullptr ? transformation->Transform(p) : p;
}

TFixed Shifted(TFixed v, TFixed delta) {
  // Points moved past the 16.16 range stay at its ends.
  return static_cast<TFixed>(std::clamp<std::int64_t>(std::int64_t{v} + delta, std::numeric_limits<TFixed>::min(),
                                                       std::numeric_limits<TFixed>::max()));
}

// The sub-sampling shift of a fill: 5 for 32 times down to 1 for twice, 0
// for none.
int SubsampleShift(bool antialiased, TAntialiasMode mode) {
  if (!antialiased || mode >= amNone) return 0;
  return 5 - static_cast<int>(mode);
}

}  // namespace

TPolygon32::TPolygon32() : Points(1) {}

void TPolygon32::Add(const TFixedPoint& point) {
  Points.back().push_back(point);
  PointsChanged();
}

void TPolygon32::AddPoints(const TFixedPoint* first, std::size_t count) {
  if (count == 0) return;
  Points.back().insert(Points.back().end(), first, first + count);
  PointsChanged();
}

void TPolygon32::NewLine() {
  Points.emplace_back();
  PointsChanged();
}

void TPolygon32::Clear() {
  Points.assign(1, TArrayOfFixedPoint{});
  PointsChanged();
}

void TPolygon32::Offset(TFixed dx, TFixed dy) {
  for (TArrayOfFixedPoint& contour : Points)
    for (TFixedPoint& p : contour) p = TFixedPoint{Shifted(p.X, dx), Shifted(p.Y, dy)};
  PointsChanged();
}

void TPolygon32::SetPoints(TArrayOfArrayOfFixedPoint points) {
  Points = std::move(points);
  if (Points.empty()) Points.emplace_back();
  PointsChanged();
}

TFixedRect TPolygon32::GetBounds(const TTransformation* transformation) const {
  bool any = false;
  TFixedRect bounds;
  for (const TArrayOfFixedPoint& contour : Points)
    for (const TFixedPoint& point : contour) {
      const TFixedPoint p = Mapped(point, transformation);
      if (!any) {
        bounds = TFixedRect{p.X, p.Y, p.X, p.Y};
        any = true;
        continue;
      }
      bounds.Left = std::min(bounds.Left, p.X);
      bounds.Top = std::min(bounds.Top, p.Y);
      bounds.Right = std::max(bounds.Right, p.X);
      bounds.Bottom = std::max(bounds.Bottom, p.Y);
    }
  return bounds;
}

void TPolygon32::DrawFill(TCustomBitmap32& bitmap, TColor32 color, const TTransformation* transformation) const {
  {
    TUpdateGuard update(bitmap);
    if (!bitmap.GetMeasuringMode()) {
      imaging::TRasterOptions options;
      options.SubsampleShift = SubsampleShift(Antialiased, AntialiasMode);
      options.NonZero = FillMode == pfNonZero;
      options.Transformation = transformation;
      imaging::RasterizePolygon(bitmap, Points, color, options);
    }
    // Every pixel an antialiased edge touches lies inside the bounds rounded
    // outwards.
    bitmap.AreaChanged(imaging::MakeRect(GetBounds(transformation), rrOutside));
  }
  bitmap.Changed();
}

void TPolygon32::DrawEdge(TCustomBitmap32& bitmap, TColor32 color, const TTransformation* transformation) const {
  const bool blended = (color >> 24) < 255;
  const auto segment = [&](const TFixedPoint& a, const TFixedPoint& b) {
    if (Antialiased) {
      bitmap.LineFixedAA(a.X, a.Y, b.X, b.Y, color);
      return;
    }
    using imaging::FixedRound;
    if (blended) bitmap.LineBlend(FixedRound(a.X), FixedRound(a.Y), FixedRound(b.X), FixedRound(b.Y), color);
    else bitmap.Line(FixedRound(a.X), FixedRound(a.Y), FixedRound(b.X), FixedRound(b.Y), color);
  };
  const auto dot = [&](const TFixedPoint& p) {
    using imaging::FixedFloor;
    using imaging::FixedRound;
    if (Antialiased) {
      // The point spreads over the 2 x 2 pixels around it.
      if (!bitmap.GetMeasuringMode()) bitmap.SetPixelFixedAA(p.X, p.Y, color);
      bitmap.AreaChanged(imaging::ClampedRect(FixedFloor(p.X), FixedFloor(p.Y), std::int64_t{FixedFloor(p.X)} + 2,
                                              std::int64_t{FixedFloor(p.Y)} + 2));
      return;
    }
    const std::int32_t x = FixedRound(p.X), y = FixedRound(p.Y);
    if (!bitmap.GetMeasuringMode()) {
      if (blended) bitmap.BlendPixelClipped(x, y, color);
      else bitmap.SetPixelClipped(x, y, color);
    }
    bitmap.AreaChanged(imaging::ClampedRect(x, y, std::int64_t{x} + 1, std::int64_t{y} + 1));
  };
  {
    TUpdateGuard update(bitmap);
    TArrayOfFixedPoint mapped;
    for (const TArrayOfFixedPoint& contour : Points) {
      mapped.clear();
      for (const TFixedPoint& p : contour) mapped.push_back(Mapped(p, transformation));
      if (mapped.size() == 1 && Closed) dot(mapped[0]);
      if (mapped.size() < 2) continue;
      for (std::size_t i = 1; i < mapped.size(); ++i) segment(mapped[i - 1], mapped[i]);
      if (Closed) segment(mapped.back(), mapped.front());
    }
  }
  bitmap.Changed();
}

void TPolygon32::CopyPropertiesTo(TPolygon32& dest) const {
  dest.Antialiased = Antialiased;
  dest.AntialiasMode = AntialiasMode;
  dest.Closed = Closed;
  dest.FillMode = FillMode;
}

void TPolygon32::AssignTo(TPersistent* dest) const {
  auto* polygon = dynamic_cast<TPolygon32*>(dest);
  if (polygon == nullptr) {
    TThreadPersistent::AssignTo(dest);
    return;
  }
  if (polygon == this) return;
  CopyPropertiesTo(*polygon);
  polygon->Points = Points;
  polygon->Normals = Normals;
  polygon->NormalsValid = NormalsValid;
}
