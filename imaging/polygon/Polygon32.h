#pragma once
// TPolygon32: one or more contours of 16.16 points, filled into a bitmap in
// one colour by the even-odd or the non-zero rule, with or without
// antialiasing, or drawn as polylines. It also offsets its contours (Grow)
// and turns them into bands around themselves (Outline).

#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/bitmap/Color32.h"
#include "imaging/core/FixedPoint.h"
#include "imaging/core/RectHelpers.h"
#include "imaging/core/ThreadPersistent.h"

class TCustomBitmap32;
class TTransformation;

// Ordinals are those the fill mode byte holds.
enum TPolyFillMode : std::uint8_t { pfEvenOdd, pfNonZero };

// Sub-samples per pixel along each axis; amNone fills whole pixels.
enum TAntialiasMode : std::uint8_t { am32times, am16times, am8times, am4times, am2times, amNone };

class TPolygon32 : public TThreadPersistent {
public:
  // Closed, 8 times sub-sampled, one empty contour.
  TPolygon32();
  std::string ClassName() const override { return "TPolygon32"; }

  bool Antialiased = false;
  // The last point of each contour joins its first.
  bool Closed = true;
  TPolyFillMode FillMode = pfEvenOdd;
  TAntialiasMode AntialiasMode = am8times;

  // --- Points. Every change drops the cached normals.
  // Appends to the last contour.
  void Add(const TFixedPoint& point);
  void AddPoints(const TFixedPoint* first, std::size_t count);
  // Starts a new, empty contour.
  void NewLine();
  // Drops every point and leaves one empty contour.
  void Clear();
  void Offset(TFixed dx, TFixed dy);
  const TArrayOfArrayOfFixedPoint& GetPoints() const { return Points; }
  // Takes the contours as they are (an empty list becomes one empty contour).
  void SetPoints(TArrayOfArrayOfFixedPoint points);

  // The smallest rectangle holding every point, mapped first when a
  // transformation is given; all zeros without points.
  TFixedRect GetBounds(const TTransformation* transformation = nullptr) const;

  // --- Drawing, inside the bitmap's update bracket, followed by Changed.
  // Fills the contours of three points or more in color (its alpha weighs
  // the whole fill) by FillMode; antialiased by AntialiasMode when
  // Antialiased. A measuring bitmap only gets the bounds reported.
  void DrawFill(TCustomBitmap32& bitmap, TColor32 color, const TTransformation* transformation = nullptr) const;
  // Draws each contour as a polyline (back to its first point when Closed);
  // a closed one-point contour as one pixel.
  void DrawEdge(TCustomBitmap32& bitmap, TColor32 color, const TTransformation* transformation = nullptr) const;

  // --- Derived polygons with this one's properties.
  // Every contour of two points or more moved by delta along its normals (to
  // the left of the direction of travel on screen for positive delta, so a
  // clockwise contour grows). A corner whose edges turn by at least
  // acos(-edgeSharpness) (edgeSharpness held in 0..0.99; a right angle at 0)
  // is cut in two points; the others get the point where the moved edges meet.
  std::unique_ptr<TPolygon32> Grow(TFixed delta, float edgeSharpness = 0) const;
  // A closed contour becomes itself and its reverse (a band once grown and
  // filled by the non-zero rule); an open one runs forward and back again.
  std::unique_ptr<TPolygon32> Outline() const;

  // Antialiased, AntialiasMode, Closed and FillMode.
  virtual void CopyPropertiesTo(TPolygon32& dest) const;

protected:
  // Another TPolygon32 gets the properties and the contours.
  void AssignTo(TPersistent* dest) const override;

private:
  // The unit normal of every edge, (dy, -dx) / length in 16.16, built on
  // demand. An edge of zero length takes its neighbour's normal.
  const TArrayOfArrayOfFixedPoint& GetNormals() const;
  void PointsChanged() { NormalsValid = false; }

  TArrayOfArrayOfFixedPoint Points;
  mutable TArrayOfArrayOfFixedPoint Normals;
  mutable bool NormalsValid = false;
};
