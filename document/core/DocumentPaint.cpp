// What the editor's paint event draws over the rendered page: selection
// handles and the feedback of mouse gestures.

#include <cmath>

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"

float TdocDocumentCore::PrinterDpmOf(TPrintQualityType quality) {
  static constexpr float dpm[] = {150.0f / 25.4f, 300.0f / 25.4f, 600.0f / 25.4f, 0.0f};
  return quality <= pqDevice ? dpm[quality] : 0.0f;
}

void TdocDocumentCore::PaintSelectionHandles(TCanvas& canvas) const {
  if (ReadOnly) return;
  for (int i = 0; i < ShapeCount(); ++i) {
    const TdocShape* shape = GetShapes(i);
    if (shape->GetSelected() && shape->GetVisible()) shape->PaintHandles(canvas);
  }
  if (EditState == esInPlaceEdit && EditShape && !EditShape->GetSelected()) EditShape->PaintHandles(canvas);
}

bool TdocDocumentCore::PaintsOverPage() const {
  if (Feedback.Kind != fkNone || EditShape) return true;
  if (ReadOnly) return false;
  for (int i = 0; i < ShapeCount(); ++i)
    if (GetShapes(i)->GetSelected() && GetShapes(i)->GetVisible()) return true;
  return false;
}

void TdocDocumentCore::DrawRubberBand(const TFloatPoint& start, const TFloatPoint& offset) {
  Feedback = {fkRubberBand, start, offset};
  RepaintOverlay();
}

void TdocDocumentCore::DrawInsertFrame(const TFloatPoint& start, const TFloatPoint& offset) {
  Feedback = {fkInsertFrame, start, offset};
  RepaintOverlay();
}

void TdocDocumentCore::DrawDragFeedback(const TFloatPoint& offset, bool snap) {
  Feedback = {fkDragFrames, {}, offset};
  for (int i = 0; i < ShapeCount(); ++i) {
    TdocShape* shape = GetShapes(i);
    if (!shape->GetSelected()) continue;
    TdocTransform matrix;
    shape->ComputeEditFrame(offset, snap, HitKind, matrix);
  }
  RepaintOverlay();
}

void TdocDocumentCore::EraseFeedback() {
  if (Feedback.Kind == fkNone) return;
  Feedback = {};
  RepaintOverlay();
}

TRect TdocDocumentCore::InsertFrameRect() const {
  TFloatPoint size = Feedback.Offset;
  const TdocShape* shape = InsertShape.get();
  if (shape && shape->GetPreserveAspect()) {
    const float width = shape->GetDocWidth(), height = shape->GetDocHeight();
    const float r = std::min(std::fabs(size.Y) / height, std::fabs(size.X) / width);
    if (std::isfinite(r)) size = {std::copysign(r * width, size.X), std::copysign(r * height, size.Y)};
  }
  return DocRectToClient(Feedback.Start, size);
}

void TdocDocumentCore::PaintFeedback(TCanvas& canvas) const {
  switch (Feedback.Kind) {
    case fkNone:
      return;
    case fkRubberBand:
      document::SetXorFramePen(canvas, Options.HandleColor);
      canvas.Rectangle(DocRectToClient(Feedback.Start, Feedback.Offset));
      return;
    case fkInsertFrame:
      if (InsertShape) InsertShape->DrawXorFrame(canvas, InsertFrameRect(), Options.HandleColor);
      return;
    case fkDragFrames:
      for (int i = 0; i < ShapeCount(); ++i)
        if (GetShapes(i)->GetSelected()) GetShapes(i)->PaintDragFrame(canvas);
      return;
  }
}
