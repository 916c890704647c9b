#include "document/editor/HandlePainter.h"

#include <algorithm>
#include <utility>

#include "document/shape/DocServices.h"
#include "document/render/ScreenPolygon.h"
#include "document/shape/Shape.h"
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

TdocServices* TdocHandlePainter::GetDocument() const { return Shape ? Shape->GetDocument() : nullptr; }

TColor TdocHandlePainter::GetHandleColor() const {
  const TdocServices* document = GetDocument();
  return document ? document->GetHandleColor() : 0;
}

TColor TdocHandlePainter::GetHandleEdgeColor() const {
  const TdocServices* document = GetDocument();
  return document ? document->GetHandleEdgeColor() : 0;
}

void TdocHandlePainter::SetHandleCount(int count) { Handles.resize(static_cast<std::size_t>(std::max(count, 0))); }

void TdocHandlePainter::SetDragLineCount(int count) {
  DragLines.resize(static_cast<std::size_t>(std::max(count, 0)));
}

TPoint TdocHandlePainter::HandlePixel(int index, bool dragged) const {
  const TdocHandle* handle = GetHandles(index);
  if (!handle) return {};
  const TFloatPoint p = CheckedShape().ShapeToScreen(dragged ? handle->DragPosition : handle->Position);
  return Point(document::ScreenRound(p.X), document::ScreenRound(p.Y));
}

void TdocHandlePainter::PaintLines(TCanvas& canvas, bool outline) const {
  CheckedShape();
  for (const TdocDragLine& line : DragLines) {
    if (!(outline ? line.VisibleInOutline : line.VisibleInFrame)) continue;
    if (!GetHandles(line.First) || !GetHandles(line.Second)) continue;
    const TPoint from = HandlePixel(line.First, outline), to = HandlePixel(line.Second, outline);
    canvas.MoveTo(from.X, from.Y);
    canvas.LineTo(to.X, to.Y);
  }
}

void TdocHandlePainter::PaintDragLines(TCanvas& canvas) const { PaintLines(canvas, false); }

void TdocHandlePainter::PaintDragOutline(TCanvas& canvas) const {
  document::SetXorFramePen(canvas, GetHandleEdgeColor());
  PaintLines(canvas, true);
}

void TdocHandlePainter::Paint(TCanvas& canvas) const {
  CheckedShape();
  document::SetPen(canvas, clWhite, psSolid, pmCopy, 3);
  canvas.GetBrush().SetStyle(bsClear);
  PaintDragLines(canvas);
  // A dotted line on the white band.
  document::SetPen(canvas, GetHandleEdgeColor(), psDot, pmCopy, 1);
  PaintDragLines(canvas);
  for (int i = 0; i < HandleCount(); ++i) PaintHandle(canvas, i);
}

void TdocHandlePainter::PaintHandle(TCanvas& canvas, int index) const {
  const TdocShape& shape = CheckedShape();
  const TdocHandle* handle = GetHandles(index);
  if (!handle) return;
  document::SetPen(canvas, GetHandleEdgeColor(), psSolid, pmCopy, 1);
  canvas.GetBrush().SetColor(GetHandleColor());
  canvas.GetBrush().SetStyle(bsSolid);
  if (handle->Kind == hkRotate) {
    if (shape.AllowRotate) canvas.Ellipse(HandleRect(index));
  } else if (shape.AllowResize) {
    canvas.Rectangle(HandleRect(index));
  }
}

namespace document {

void SetPen(TCanvas& canvas, TColor color, TPenStyle style, TPenMode mode, int width) {
  TPen& pen = canvas.GetPen();
  pen.SetColor(color);
  pen.SetStyle(style);
  pen.SetMode(mode);
  pen.SetWidth(width);
}

void SetXorFramePen(TCanvas& canvas, TColor color) {
  // Black would leave every pixel as it is and the frame unseen: it inverts
  // them instead.
  if (ColorToRGB(color) == 0) color = clWhite;
  SetPen(canvas, color, psDot, pmXor, 1);
  canvas.GetBrush().SetStyle(bsClear);
}

}  // namespace document
