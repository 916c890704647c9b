#pragma once
// The selection handles of a shape: where each grip lies, what dragging it
// does (its kind), and the drag lines between two grips that act like a
// handle themselves. The painter lays them out, tests the mouse against them
// and draws them in client pixels on the canvas of the editor's paint event.

#include <cstdint>
#include <vector>

#include "imaging/docgraphics/DocGraphics.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Color.h"
#include "platform/rtl/Types.h"

class TdocServices;
class TdocShape;

// What dragging a handle does; a byte each. Kinds above hkPoint belong to
// subclasses.
enum TdocHandleKind : std::uint8_t {
  hkNone,
  hkBody,
  hkTopLeft,
  hkLeft,
  hkBottomLeft,
  hkBottom,
  hkBottomRight,
  hkRight,
  hkTopRight,
  hkTop,
  hkRotate,
  hkPoint
};

struct TdocHandle {
  std::uint8_t Kind = hkNone;
  TFloatPoint Position;      // shape-local mm
  TFloatPoint DragPosition;  // shape-local mm, where the handle is during a drag
};

struct TdocDragLine {
  std::int32_t First = 0;  // handle indexes
  std::int32_t Second = 0;
  std::uint8_t Kind = hkNone;  // the handle kind dragging the line acts as
  bool VisibleInFrame = true;
  bool VisibleInOutline = true;
};

// The stippled style: four square corner grips joined by four side lines
// drawn dotted on a white band, and a round rotation grip to the right of
// the frame when the shape may turn.
class TdocHandlePainter {
public:
  explicit TdocHandlePainter(TdocShape* shape) : Shape(shape) {}
  virtual ~TdocHandlePainter() = default;
  TdocHandlePainter(const TdocHandlePainter&) = delete;
  TdocHandlePainter& operator=(const TdocHandlePainter&) = delete;

  TdocShape* GetShape() const { return Shape; }
  void SetShape(TdocShape* shape) { Shape = shape; }
  // The shape's document; nil without a shape or document.
  TdocServices* GetDocument() const;
  // The document's handle fill and pen colours; 0 without a document.
  virtual TColor GetHandleColor() const;
  virtual TColor GetHandleEdgeColor() const;
  // Half the side of a grip in pixels.
  virtual std::int32_t GetHandleSize() const { return 3; }
  // Lays the handles out for the shape's frame; raises "Shape object must be
  // assigned" without a shape.
  virtual void UpdateHandles();

  // Each raises "Shape object must be assigned" without a shape.
  // The lines shown in the frame, with the canvas's pen.
  virtual void PaintDragLines(TCanvas& canvas) const;
  // The lines shown in the outline between the handles' drag positions,
  // dotted in XOR: the frame a drag would give.
  virtual void PaintDragOutline(TCanvas& canvas) const;
  virtual void PaintHandle(TCanvas& canvas, int index) const;
  // The frame and every handle.
  virtual void Paint(TCanvas& canvas) const;

  int HandleCount() const { return static_cast<int>(Handles.size()); }
  int DragLineCount() const { return static_cast<int>(DragLines.size()); }
  // Entries are appended empty or removed from the end.
  void SetHandleCount(int count);
  void SetDragLineCount(int count);
  // Nil out of range.
  TdocHandle* GetHandles(int index);
  const TdocHandle* GetHandles(int index) const;
  const TdocDragLine* GetDragLines(int index) const;
  // The grip's square in client pixels around its position.
  TRect HandleRect(int index) const;
  // The handle's position in client pixels.
  TFloatPoint HandleOnScreen(int index) const;
  // Shapes with grips of their own (line ends, vertices) add them to the
  // plain layout; a grip inserted before others is found first by the mouse.
  void InsertHandle(int index, const TdocHandle& handle);
  void AddDragLine(const TdocDragLine& line) { DragLines.push_back(line); }

protected:
  const TdocShape& CheckedShape() const;
  // The handle's position (or drag position) in client pixels, rounded.
  TPoint HandlePixel(int index, bool dragged) const;
  void PaintLines(TCanvas& canvas, bool outline) const;

  std::vector<TdocHandle> Handles;
  std::vector<TdocDragLine> DragLines;

private:
  TdocShape* Shape;
};

namespace document {

// Sets the canvas's pen in one step.
void SetPen(TCanvas& canvas, TColor color, TPenStyle style, TPenMode mode, int width);
// The pen of drag feedback: one pixel, dotted, XOR; and a hollow brush.
// Black, which XOR would not show, inverts instead.
void SetXorFramePen(TCanvas& canvas, TColor color);

}  // namespace document
