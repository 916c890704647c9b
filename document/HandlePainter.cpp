#include "document/HandlePainter.h"

#include <algorithm>
#include <utility>

#include "document/ScreenPolygon.h"
#include "document/Shape.h"
#include "platform/rtl/Exception.h"

const TdocShape& TdocHandlePainter::CheckedShape() const {
  if (!Shape) throw Exception("Shape object must be assigned");
  return *Shape;
}

void TdocHandlePainter::UpdateHandles() {
  const TdocShape& shape = CheckedShape();
  const float width = shape.GetDocWidth(), height = shape.GetDocHeight();
  Handles = {{hkTopLeft, {0, 0}, {0, 0}},
             {hkBottomLeft, {0, height}, {0, height}},
             {hkBottomRight, {width, height}, {width, height}},
             {hkTopRight, {width, 0}, {width, 0}}};
  if (shape.AllowRotate) {
    const TFloatPoint knob{1.03f * width, height / 2};
    Handles.push_back({hkRotate, knob, knob});
  }
  DragLines = {{0, 1, hkLeft}, {1, 2, hkBottom}, {2, 3, hkRight}, {3, 0, hkTop}};
}

void TdocHandlePainter::InsertHandle(int index, const TdocHandle& handle) {
  index = std::clamp(index, 0, HandleCount());
  Handles.insert(Handles.begin() + index, handle);
  for (TdocDragLine& line : DragLines) {
    if (line.First >= index) ++line.First;
    if (line.Second >= index) ++line.Second;
  }
}

TdocHandle* TdocHandlePainter::GetHandles(int index) {
  return const_cast<TdocHandle*>(std::as_const(*this).GetHandles(index));
}

const TdocHandle* TdocHandlePainter::GetHandles(int index) const {
  return index >= 0 && index < HandleCount() ? &Handles[static_cast<std::size_t>(index)] : nullptr;
}

const TdocDragLine* TdocHandlePainter::GetDragLines(int index) const {
  return index >= 0 && index < DragLineCount() ? &DragLines[static_cast<std::size_t>(index)] : nullptr;
}

TFloatPoint TdocHandlePainter::HandleOnScreen(int index) const {
  const TdocHandle* handle = GetHandles(index);
  return handle ? CheckedShape().ShapeToScreen(handle->Position) : TFloatPoint{};
}

TRect TdocHandlePainter::HandleRect(int index) const {
  const TFloatPoint p = HandleOnScreen(index);
  const double size = GetHandleSize();
  using document::ScreenRound;
  return {ScreenRound(p.X - size), ScreenRound(p.Y - size), ScreenRound(p.X + size + 1), ScreenRound(p.Y + size + 1)};
}
