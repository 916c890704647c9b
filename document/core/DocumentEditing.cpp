// What the document core offers in-place editing and the editor: deletes
// posted for after the current event, the held mouse button, the edit
// cursor and the caret's blinking.

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/text/TextBaseShape.h"
#include "imaging/core/PerfTimer.h"

void TdocDocumentCore::PostAutoDelete(std::int32_t shapeId) {
  PostedAutoDeletes.push_back(shapeId);
  if (View) View->PostAutoDeletes();
}

void TdocDocumentCore::RunAutoDeletes() {
  // While busy the requests wait: EndBusy posts them again.
  if (IsBusy()) return;
  const std::vector<std::int32_t> ids = std::move(PostedAutoDeletes);
  PostedAutoDeletes.clear();
  if (!Options.AutoDeleteShape) return;
  for (const std::int32_t id : ids) {
    // Looked up anew: the shape may have gone since the request was posted.
    TdocShape* shape = FindShape(id);
    TdocShape* parent = shape ? shape->GetParent() : nullptr;
    if (!parent) continue;
    auto step = UndoStep(this);
    parent->RemoveShape(shape);
    DoShapeListChanged();
  }
}

void TdocDocumentCore::SetCaretTimer(TdocShape& shape, int intervalMs) {
  CaretShapeId = shape.GetShapeId();
  CaretInterval = std::max(0, intervalMs);
  CaretTickCount = imaging::GetTickCount();
}

void TdocDocumentCore::TickCaret() {
  if (CaretInterval <= 0) return;
  const std::uint32_t now = imaging::GetTickCount();
  if (now - CaretTickCount < static_cast<std::uint32_t>(CaretInterval)) return;
  CaretTickCount = now;
  auto* text = dynamic_cast<TdocTextBaseShape*>(FindShape(CaretShapeId));
  if (!text) {
    CaretInterval = 0;
    return;
  }
  text->CaretTick();
}
