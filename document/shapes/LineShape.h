#pragma once
// TdocLineShape: a straight line between two end points, of a given width,
// with an arrow head at each end, drawn as one filled contour in the fill
// colour. The end points are fractions of the frame (0 the left or top
// edge, 1 the right or bottom one); the frame always fits them. The line
// keeps no angle of its own: turning it turns its points.

#include <memory>
#include <string_view>
#include <vector>

#include "document/shapes/ArrowHead.h"
#include "document/shapes/PolygonShape.h"
#include "platform/rtl/Persistent.h"

class TdocLineShape;

// One end's head: a style, its full width and its length along the line.
class TdocArrow : public TPersistent {
public:
  explicit TdocArrow(TdocLineShape* owner) : Owner(owner) {}
  std::string ClassName() const override { return "TdocArrow"; }

  std::uint8_t GetStyle() const { return Head.Style; }
  // 0..6 ("NoArrow" .. "Rectangle"); other values are refused.
  void SetStyle(std::uint8_t value);
  TdocArrowHead Head;

  // "Style" by name (a name of no style leaves it unchanged), "Width" and
  // "Length" (0 when missing).
  void LoadFromXml(const TXmlNode& node);
  void SaveToXml(TXmlNode& node) const;

  static std::string_view StyleName(std::uint8_t style);

private:
  TdocLineShape* Owner;
};

class TdocLineShape : public TdocPolygonShape {
public:
  // From the frame's top-left to its bottom-right, 1.0 wide, black.
  TdocLineShape();
  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  TdocArrow Arrow0{this};  // at the first point
  TdocArrow Arrow1{this};  // at the second point

  int GetPointCount() const { return static_cast<int>(Ends.size()); }
  // The point in page coordinates; (0, 0) for an index out of range.
  TFloatPoint GetPoint(int index) const;
  // Moves point 0 or 1 to a page position and fits the frame to the points,
  // recorded for undo.
  void SetPoint(int index, const TFloatPoint& point);
  // Adds a point while the line has fewer than two; a line never has more.
  void AppendPoint(const TFloatPoint& point);
  float GetLineWidth() const { return LineWidth; }
  // Recorded for undo; the width is held to 0..MaxLength, not a number is 0.
  void SetLineWidth(float value);
  // The contour follows a change of the arrows or the points.
  void ContourChanged();

  void UpdateHandles() const override;
  // The line being inserted: from the rectangle's top-left to its
  // bottom-right corner, dotted in XOR.
  void DrawXorFrame(TCanvas& canvas, const TRect& rect, TColor color) const override;
  // Turns the points about the frame's top-left corner and fits the frame
  // to them; the angle itself stays as it is.
  void SetDocAngle(float value) override;
  void ApplyEditFrame() override;
  // Dragged from right to left (bottom to top) the first point lies at the
  // right (bottom): the line follows the direction of the drag.
  void SetDocRect(const TFloatRect& rect) override;
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;
  // "Ends": the points as fractions of the frame ("x0 y0 x1 y1"), as the
  // undo record of a turn or a point drag keeps them.
  void SetPropertyByName(const std::string& name, const std::string& value) override;

protected:
  // Both ends with their heads, in the frame; the current contour while
  // the two points coincide.
  TdocContours GeneratedContours() const override;

private:
  std::vector<TFloatPoint> PagePoints() const;
  // The frame becomes the box around the points (1.0 along an axis on
  // which the points coincide) and the points fractions of it; the ends'
  // change is recorded for undo.
  void FitFrameToPoints(const std::vector<TFloatPoint>& pagePoints);
  // A point's place in the frame as drawn, mirror and flip included.
  TFloatPoint DrawnPosition(const TFloatPoint& fraction) const;
  void LoadEnds(const TXmlNode& node);
  // Left, Top, Width and Height as read, kept when the ends fit them.
  void KeepStoredFrame(const TFloatRect& stored);
  std::string EndsText() const;
  // Records the ends before they change, so an undo turns the line back.
  void RecordEnds(const std::vector<TFloatPoint>& next);

  std::vector<TFloatPoint> Ends{{0, 0}, {1, 1}};
  float LineWidth = 1.0f;
};
