#include "document/shape/PlainServices.h"

#include "document/shape/Shape.h"
#include "platform/rtl/Exception.h"

TdocPlainServices::TdocPlainServices() : Storage(std::make_unique<TsdStorage>()) {}
TdocPlainServices::~TdocPlainServices() = default;

void TdocPlainServices::EndUndo() {
  if (UndoDepth == 0) throw EInvalidOperation("EndUndo called more often than BeginUndo");
  --UndoDepth;
}

void TdocPlainServices::ResumeUndo() {
  if (UndoLock > 0) --UndoLock;
}

TFloatPoint TdocPlainServices::DocToClient(const TFloatPoint& p) const {
  return {(p.X - Origin.X) * Scale, (p.Y - Origin.Y) * Scale};
}

TFloatPoint TdocPlainServices::ClientToDoc(const TFloatPoint& p) const {
  return {p.X / Scale + Origin.X, p.Y / Scale + Origin.Y};
}

bool TdocPlainServices::Undo(TdocShape& root) {
  if (UndoList.empty()) return false;
  std::unique_ptr<TdocCommand> command = std::move(UndoList.back());
  UndoList.pop_back();
  RecordingRedo = true;
  auto done = TdocBracketGuard([this] { RecordingRedo = false; });
  return root.ApplyCommand(*command);
}

int TdocPlainServices::RemoveShape(TdocShape* shape) {
  TdocShape* parent = shape ? shape->GetParent() : nullptr;
  return parent ? parent->RemoveShape(shape) : -1;
}
