#include "document/editor/W2K3HandlePainter.h"

#include "document/shape/Shape.h"

namespace {

constexpr TColor KnobGreen = 0x00FF00;

}  // namespace

void TdocW2K3HandlePainter::UpdateHandles() {
  const TdocShape& shape = CheckedShape();
  const float w = shape.GetDocWidth(), h = shape.GetDocHeight();
  const auto at = [](std::uint8_t kind, float x, float y) { return TdocHandle{kind, {x, y}, {x, y}}; };
  Handles = {at(hkTopLeft, 0, 0),          at(hkTop, w / 2, 0),        at(hkTopRight, w, 0),
             at(hkRight, w, h / 2),         at(hkBottomRight, w, h),    at(hkBottom, w / 2, h),
             at(hkBottomLeft, 0, h),        at(hkLeft, 0, h / 2),       at(hkRotate, w / 2, -KnobDistance)};
  // The frame shows only in the drag outline; the stem to the knob only in
  // the frame, and only when the shape may turn.
  DragLines = {{0, 2, hkNone, false, true},
               {2, 4, hkNone, false, true},
               {4, 6, hkNone, false, true},
               {6, 0, hkNone, false, true},
               {1, 8, hkNone, shape.AllowRotate, false}};
}

void TdocW2K3HandlePainter::Paint(TCanvas& canvas) const {
  CheckedShape();
  document::SetPen(canvas, clBlack, psSolid, pmCopy, 1);
  canvas.GetBrush().SetStyle(bsClear);
  PaintDragLines(canvas);
  for (int i = 0; i < HandleCount(); ++i) PaintHandle(canvas, i);
}

void TdocW2K3HandlePainter::PaintHandle(TCanvas& canvas, int index) const {
  const TdocShape& shape = CheckedShape();
  const TdocHandle* handle = GetHandles(index);
  if (!handle) return;
  const bool knob = handle->Kind == hkRotate;
  document::SetPen(canvas, clBlack, psSolid, pmCopy, 1);
  canvas.GetBrush().SetStyle(bsSolid);
  if (!knob || shape.AllowRotate) {
    canvas.GetBrush().SetColor(knob ? KnobGreen : clWhite);
    canvas.Ellipse(HandleRect(index));
  }
  canvas.GetBrush().SetColor(clWhite);
}
