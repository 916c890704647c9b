// The shapes of the current page as the document core sees them: the child
// list, z-order, selection, focus and the editor's references to shapes.

#include <vector>

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/text/TextBaseShape.h"

namespace {

// True when shape is candidate or lies inside it.
bool IsWithin(const TdocShape* shape, const TdocShape* candidate) {
  for (; shape; shape = shape->GetParent())
    if (shape == candidate) return true;
  return false;
}

TdocShape* FindShapeById(const TdocShape& parent, std::int32_t shapeId) {
  for (int i = 0; i < parent.GetShapeCount(); ++i) {
    TdocShape* child = parent.GetShapes(i);
    if (child->GetShapeId() == shapeId) return child;
    if (TdocShape* found = FindShapeById(*child, shapeId)) return found;
  }
  return nullptr;
}

}  // namespace

int TdocDocumentCore::ShapeCount() const {
  const TdocPage* page = GetCurrentPage();
  return page ? page->GetShapeCount() : 0;
}

TdocShape* TdocDocumentCore::GetShapes(int index) const {
  const TdocPage* page = GetCurrentPage();
  return page ? page->GetShapes(index) : nullptr;
}

int TdocDocumentCore::AddShape(std::unique_ptr<TdocShape> shape) {
  TdocPage* page = GetCurrentPage();
  // Without a page the shape has nowhere to go; it is freed with the pointer.
  if (!page || !shape) return -1;
  const int index = page->AddShape(std::move(shape));
  DoShapeListChanged();
  return index;
}

void TdocDocumentCore::DeleteShape(int index) {
  TdocPage* page = GetCurrentPage();
  if (!page || !page->GetShapes(index)) return;
  // The page reports every shape of the subtree through DoShapeDestroy,
  // which drops the focus, hit, edit and hint references to them.
  page->DeleteShape(index);
  DoShapeListChanged();
}

void TdocDocumentCore::ExchangeShapes(int i, int j) {
  TdocPage* page = GetCurrentPage();
  if (!page) return;
  page->ExchangeShapes(i, j);
  DoShapeListChanged();
}

int TdocDocumentCore::RemoveShape(TdocShape* shape) {
  TdocPage* page = GetCurrentPage();
  if (!page) return -1;
  const int index = page->RemoveShape(shape);
  DoShapeListChanged();
  return index;
}

void TdocDocumentCore::SendSelectionBackward() {
  CheckNotBusy();
  auto step = UndoStep(this);
  for (int i = 1; i < ShapeCount(); ++i)
    if (!GetShapes(i - 1)->GetSelected() && GetShapes(i)->GetSelected()) ExchangeShapes(i - 1, i);
}

void TdocDocumentCore::BringSelectionForward() {
  CheckNotBusy();
  auto step = UndoStep(this);
  for (int i = ShapeCount() - 2; i >= 0; --i)
    if (!GetShapes(i + 1)->GetSelected() && GetShapes(i)->GetSelected()) ExchangeShapes(i, i + 1);
}

void TdocDocumentCore::DeleteSelectedShapes() {
  CheckNotBusy();
  auto update = UpdateBracket();
  for (int i = ShapeCount() - 1; i >= 0; --i) {
    const TdocShape* shape = GetShapes(i);
    if (shape && shape->GetSelected() && shape->AllowDelete) DeleteShape(i);
  }
}

TdocShape* TdocDocumentCore::FindShape(std::int32_t shapeId) const {
  const TdocPage* page = GetCurrentPage();
  return page ? FindShapeById(*page, shapeId) : nullptr;
}

// ---- selection and focus

int TdocDocumentCore::SelectionCount() const {
  int count = 0;
  for (int i = 0; i < ShapeCount(); ++i) count += GetShapes(i)->GetSelected() ? 1 : 0;
  return count;
}

TdocShape* TdocDocumentCore::GetSelected(int index) const {
  for (int i = 0; i < ShapeCount(); ++i) {
    TdocShape* shape = GetShapes(i);
    if (shape->GetSelected() && index-- == 0) return shape;
  }
  return nullptr;
}

void TdocDocumentCore::ClearSelection() {
  auto update = UpdateBracket();
  for (int i = 0; i < ShapeCount(); ++i) GetShapes(i)->SetSelected(false);
}

TdocShape* TdocDocumentCore::GetFocusShape() const {
  const TdocPage* page = GetCurrentPage();
  return page && FocusShape && page->IndexOfShape(FocusShape) >= 0 ? FocusShape : nullptr;
}

void TdocDocumentCore::SetFocusShape(TdocShape* shape) {
  if (shape == FocusShape) return;
  FocusShape = shape;
  DoFocusShape(shape);
}

void TdocDocumentCore::SetHotzoneScrolling(TdocHZScrollingType value) {
  Options.HotzoneScrolling = value;
  if (View) View->HotzoneScrollingChanged();
}

void TdocDocumentCore::SetPaintEditBorder(bool value) {
  PaintEditBorder = value;
  TdocPage* page = GetCurrentPage();
  if (!page) return;
  std::vector<TdocShape*> pending{page};
  while (!pending.empty()) {
    TdocShape* shape = pending.back();
    pending.pop_back();
    if (auto* text = dynamic_cast<TdocTextBaseShape*>(shape)) text->SetPaintEditBorder(value);
    for (int i = 0; i < shape->GetShapeCount(); ++i) pending.push_back(shape->GetShapes(i));
  }
}

// ---- editor references

void TdocDocumentCore::SetHit(std::uint8_t kind, TdocShape* shape) {
  HitKind = kind;
  HitShape = shape;
}

void TdocDocumentCore::StartShapeEdit(TdocShape* shape) {
  EditShape = shape;
  if (!shape) return;
  EditState = esInPlaceEdit;
  shape->StartEdit();
  // StartEdit may have refused and closed the edit at once.
  if (EditShape == shape && OnShapeEditStart) OnShapeEditStart(this, shape);
}

void TdocDocumentCore::CloseShapeEdit(bool accept) {
  if (EditState == esInPlaceEdit) EditState = esIdle;
  TdocShape* shape = EditShape;
  if (!shape) return;
  EditShape = nullptr;
  if (OnShapeEditClosed) OnShapeEditClosed(this, shape);
  shape->EndEdit(accept);
}

void TdocDocumentCore::SetInsertShape(std::unique_ptr<TdocShape> shape, bool byDrag) {
  CancelShapeInsert();
  InsertShape = std::move(shape);
  InsertByDrag = byDrag;
}

std::unique_ptr<TdocShape> TdocDocumentCore::TakeInsertShape() {
  if (HitShape == InsertShape.get()) SetHit(0, nullptr);
  return std::move(InsertShape);
}

void TdocDocumentCore::CancelShapeInsert() {
  std::unique_ptr<TdocShape> shape = TakeInsertShape();
  if (!shape) return;
  if (OnShapeInsertClosed) OnShapeInsertClosed(this, nullptr);
  DoShapeDestroy(shape.get());
}

void TdocDocumentCore::CancelEditing() {
  CloseShapeEdit(false);
  EraseFeedback();
  CancelShapeInsert();
  EditState = esIdle;
  SetHit(0, nullptr);
  HintShape = nullptr;
}

void TdocDocumentCore::ForgetShape(TdocShape* shape) {
  if (IsWithin(FocusShape, shape)) SetFocusShape(nullptr);
  if (IsWithin(HitShape, shape)) SetHit(0, nullptr);
  if (IsWithin(HintShape, shape)) HintShape = nullptr;
  if (IsWithin(EditShape, shape)) {
    // The shape is going: its edit ends, not accepted and unrecorded, so
    // that the brackets it opened close and nothing refers to it any more.
    TdocShape* edited = EditShape;
    EditShape = nullptr;
    if (EditState == esInPlaceEdit) EditState = esIdle;
    if (OnShapeEditClosed) OnShapeEditClosed(this, edited);
    auto suspended = UndoSuspension(this);
    edited->EndEdit(false);
  }
  if (shape == LastCopyPage) LastCopyPage = nullptr;
  if (shape == ShownPage) ShownPage = nullptr;
}

void TdocDocumentCore::DoShapeDestroy(TdocShape* shape) {
  ForgetShape(shape);
  if (OnShapeDestroy) OnShapeDestroy(this, shape);
}
