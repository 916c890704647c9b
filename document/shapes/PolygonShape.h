#pragma once
// TdocPolygonShape: a shape drawn from contours of points in its own frame
// (millimetres, origin at the frame's top-left corner): an antialiased
// even-odd fill, an outline band of a given width centred on the contours,
// a hairline, or a dashed outline. Descendants generate their contours
// from the frame (rectangle, ellipse, rounded rectangle, line); a plain
// polygon keeps its points (StorePoints) and saves them.
//
// The contours are turned into device polygons (16.16 pixels) before each
// drawing, since the device transform changes with every render.

#include <cstdint>
#include <memory>
#include <vector>

#include "document/effects/EffectShape.h"
#include "imaging/polygon/Polygon32.h"
#include "platform/gdi/Color.h"

using TdocContour = std::vector<TFloatPoint>;
using TdocContours = std::vector<TdocContour>;

class TdocPolygonShape : public TdocEffectShape {
public:
  // A 40 x 30 frame, a blue fill, a black 0.5 mm outline, one empty contour.
  TdocPolygonShape();
  ~TdocPolygonShape() override;

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // ---- properties; each setter does nothing for an unchanged value, else
  // records the old one for undo (not UseStipple) and repaints.
  bool GetIsClosed() const { return IsClosed; }
  void SetIsClosed(bool value);
  float GetOutlineWidth() const { return OutlineWidth; }
  // A width that is negative or not a number is 0 (a hairline); the render
  // margins become half the width, at least 0.1.
  void SetOutlineWidth(float value);
  std::int32_t GetFillAlpha() const { return FillAlpha; }
  // Held to 0..255.
  void SetFillAlpha(std::int32_t value);
  TColor GetFillColor() const { return FillColor; }
  void SetFillColor(TColor value);
  TColor GetOutlineColor() const { return OutlineColor; }
  void SetOutlineColor(TColor value);
  bool GetUseFill() const { return UseFill; }
  void SetUseFill(bool value);
  bool GetUseOutline() const { return UseOutline; }
  void SetUseOutline(bool value);
  bool GetUseStipple() const { return UseStipple; }
  void SetUseStipple(bool value);
  float GetStippleSize() const { return StippleSize; }
  // One dash period in millimetres; a size that is not a positive number
  // is the default 2.0.
  void SetStippleSize(float value);
  bool GetStorePoints() const { return StorePoints; }
  void SetStorePoints(bool value);
  // Start of the dash pattern.
  std::int32_t StipplePhase = 0;

  // ---- points
  const TdocContours& GetPoints() const { return Points; }
  // The smallest rectangle holding every point; all zeros without points.
  TFloatRect GetPointsBounds() const;
  // Moves the points so that their bounds start at the rectangle's corner,
  // scaled to its size when both have positive width and height.
  void FitPointsToRect(const TFloatRect& rect);
  // Replaces the points by those generated from the frame (StorePoints off).
  void BuildOutline();
  void OffsetPoints(float dx, float dy);
  void ScalePoints(float sx, float sy);
  // The device polygons of the current contours and device transform.
  void BuildPolygons();
  // Appends to the last contour.
  void AddPoint(const TFloatPoint& point);
  void AddPointXY(float x, float y) { AddPoint({x, y}); }
  // One empty contour.
  void ClearPoints();
  void NewContour();
  // A new contour for the next stroke: a last contour of fewer than two
  // points is emptied and used again, otherwise one is appended.
  void StartContour();
  // Drops the contours of fewer than two points at the end; one empty
  // contour stays when none is left.
  void TrimTrailingContours();
  // True when no contour holds a point.
  bool HasNoPoint() const;

  const TPolygon32& GetFillPolygon() const { return *FillPolygon; }
  // Nil without an outline band.
  const TPolygon32* GetOutlinePolygon() const { return OutlinePolygon.get(); }
  bool NeedsRebuild() const { return Rebuild; }

  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  void SetDeviceTransform(const TdocTransform& matrix) override;
  std::vector<std::vector<TPoint>> CreateOutlineRegion() const override;
  void AdjustExtents(float& left, float& top, float& right, float& bottom) const override;
  void ClearContent() override;
  void SetPropertyByName(const std::string& name, const std::string& value) override;
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

protected:
  // The contours the frame gives; a plain polygon's are its points.
  virtual TdocContours GeneratedContours() const { return Points; }
  void SetDocSize(float width, float height) override;
  // The device transform's horizontal scale, 1 without a usable one.
  double DeviceScale() const;
  // Rebuilds the device polygons at the next drawing and refreshes.
  void ShapeChanged();

private:
  // The width and its render margins, without undo or notification.
  void StoreOutlineWidth(float value);
  void DrawStipple(TBitmap32& bitmap) const;
  void LoadPoints(const TXmlNode& node);
  void SavePoints(TXmlNode& node) const;

  std::unique_ptr<TPolygon32> FillPolygon;
  std::unique_ptr<TPolygon32> OutlinePolygon;
  bool IsClosed = true;
  float OutlineWidth = 0;
  bool Rebuild = true;
  std::int32_t FillAlpha = 255;
  TColor FillColor = 16711680;  // blue
  TColor OutlineColor = 0;
  float StippleSize = 2.0f;
  bool UseFill = true;
  bool UseOutline = true;
  bool UseStipple = false;
  TdocContours Points{1};
  bool StorePoints = false;
};
