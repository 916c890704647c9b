#pragma once
// TdocBorderPainter: the dotted frame that marks a text shape being edited
// on the screen, kept as corners and the edges between them in the shape's
// own coordinates and drawn in client pixels, 1 mm outside the frame.

#include <cstdint>
#include <vector>

#include "platform/gdi/Canvas.h"
#include "platform/gdi/Color.h"
#include "platform/rtl/Persistent.h"

class TdocShape;

struct TdocCorner {
  float X = 0;  // shape-local millimetres
  float Y = 0;
};

struct TdocBorder {
  std::int32_t StartCorner = 0;
  std::int32_t EndCorner = 0;
};

class TdocBorderPainter : public TPersistent {
public:
  explicit TdocBorderPainter(TdocShape* shape = nullptr) : Shape(shape) {}

  std::string ClassName() const override { return "TdocBorderPainter"; }

  TdocShape* GetShape() const { return Shape; }
  void SetShape(TdocShape* shape) { Shape = shape; }
  // The document's handle edge colour; 0 without a shape or document.
  virtual TColor GetColor() const;
  // Four corners and edges around the frame widened by 1 mm. Raises
  // "TextShape object must be assigned" without a shape.
  virtual void Layout();
  // A dotted line per edge in the pen colour; nothing without edges.
  virtual void Paint(TCanvas& canvas) const;

  // Items are appended empty or removed from the end.
  void SetCornerCount(int count);
  void SetBorderCount(int count);
  int GetCornerCount() const { return static_cast<int>(Corners.size()); }
  int GetBorderCount() const { return static_cast<int>(Borders.size()); }
  const TdocCorner& GetCorners(int index) const { return Corners.at(std::size_t(index)); }
  const TdocBorder& GetBorders(int index) const { return Borders.at(std::size_t(index)); }

private:
  const TdocShape& CheckedShape() const;

  std::vector<TdocBorder> Borders;
  std::vector<TdocCorner> Corners;
  TdocShape* Shape;
};

namespace document {

// A dotted (one on, one off) line from `from` to `to` in client pixels,
// both ends included; the canvas keeps its pen.
void DrawDottedLine(TCanvas& canvas, TPoint from, TPoint to, TColor color);

}  // namespace document
