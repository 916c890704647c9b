#pragma once
// The selection handles of a shape: where each grip lies, what dragging it
// does (its kind), and the drag lines between two grips that act like a
// handle themselves. The editor layer paints them; the model lays them out
// and tests the mouse against them.

#include <cstdint>
#include <vector>

#include "imaging/docgraphics/DocGraphics.h"
#include "platform/rtl/Types.h"

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

// The plain layout: four corner grips joined by four side lines, and a
// rotation grip to the right of the frame when the shape may turn.
class TdocHandlePainter {
public:
  explicit TdocHandlePainter(TdocShape* shape) : Shape(shape) {}
  virtual ~TdocHandlePainter() = default;
  TdocHandlePainter(const TdocHandlePainter&) = delete;
  TdocHandlePainter& operator=(const TdocHandlePainter&) = delete;

  TdocShape* GetShape() const { return Shape; }
  void SetShape(TdocShape* shape) { Shape = shape; }
  // Half the side of a grip in pixels.
  virtual std::int32_t GetHandleSize() const { return 3; }
  // Lays the handles out for the shape's frame; raises "Shape object must be
  // assigned" without a shape.
  virtual void UpdateHandles();

  int HandleCount() const { return static_cast<int>(Handles.size()); }
  int DragLineCount() const { return static_cast<int>(DragLines.size()); }
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

  std::vector<TdocHandle> Handles;
  std::vector<TdocDragLine> DragLines;

private:
  TdocShape* Shape;
};
