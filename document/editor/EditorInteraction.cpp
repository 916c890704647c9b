#include "document/editor/EditorInteraction.h"

#include <algorithm>
#include <cmath>

#include "document/shapes/FreehandShape.h"
#include "document/editor/HandlePainter.h"
#include "document/page/Page.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"

namespace {

TPoint ClientPoint(const TdocMouseInput& input) { return {input.X, input.Y}; }

TShiftState ShiftOf(const TdocMouseInput& input) {
  TShiftState shift = 0;
  if (input.Shift) shift |= ShiftBit(ssShift);
  if (input.Ctrl) shift |= ShiftBit(ssCtrl);
  if (input.Alt) shift |= ShiftBit(ssAlt);
  if (input.Left) shift |= ShiftBit(ssLeft);
  if (input.Right) shift |= ShiftBit(ssRight);
  if (input.Middle) shift |= ShiftBit(ssMiddle);
  return shift;
}

bool IsSizingKind(std::uint8_t kind) { return kind >= hkTopLeft && kind <= hkTop; }

// With Shift a body moves along one axis: the smaller component goes.
TFloatPoint LockedToAxis(TFloatPoint offset) {
  if (std::fabs(offset.X) <= std::fabs(offset.Y))
    offset.X = 0;
  else
    offset.Y = 0;
  return offset;
}

TRect Normalized(const TRect& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right), std::max(r.Top, r.Bottom)};
}

// The share of the hot zone the pointer has entered on one axis: -1 .. 0 at
// the low border, 0 .. 1 at the high one, 0 elsewhere.
float HotzoneDepth(int position, int size) {
  const float zone = TdocEditor::HotzoneShare * static_cast<float>(size);
  if (!(zone > 0)) return 0;
  if (static_cast<float>(position) < zone) return static_cast<float>(position) / zone - 1.0f;
  if (static_cast<float>(size - position) < zone) return 1.0f - static_cast<float>(size - position) / zone;
  return 0;
}

int HotzoneStepPixels(float dt, float depth, float grown) {
  const float g = static_cast<float>(Sign(depth)) * std::min(grown, depth * depth);
  return rtl::Round(dt * g * 2.0f);
}

}  // namespace

TdocEditor::TdocEditor(TdocDocumentCore& core, TdocEditorHost& host) : DocCore(core), Host(host) {}

TdocEditor::~TdocEditor() = default;

TFloatPoint TdocEditor::DocPoint(const TdocMouseInput& input) const {
  return DocCore.ClientToDoc({static_cast<float>(input.X), static_cast<float>(input.Y)});
}

void TdocEditor::DoMouseEvent(const TdocDocumentCore::TMouseEvent& event, TMouseButton button,
                              const TdocMouseInput& input) {
  if (!event) return;
  static constexpr TShiftStateItem buttonItems[] = {ssLeft, ssRight, ssMiddle};
  TShiftState shift = ShiftBit(buttonItems[button]);
  if (input.Shift) shift |= ShiftBit(ssShift);
  if (input.Ctrl) shift |= ShiftBit(ssCtrl);
  event(&DocCore, button, shift, input.X, input.Y);
}

// ---- hit tests, cursors, snapping

std::uint8_t TdocEditor::FindShapeAt(const TPoint& clientPoint, TdocShape*& shape) const {
  shape = nullptr;
  if (DocCore.GetReadOnly()) return hkNone;
  for (int i = DocCore.ShapeCount() - 1; i >= 0; --i) {
    TdocShape* candidate = DocCore.GetShapes(i);
    if (!candidate->GetSelected()) continue;
    if (const std::uint8_t kind = candidate->HandleAtPoint(clientPoint); kind != hkNone) {
      shape = candidate;
      return kind;
    }
  }
  for (int i = DocCore.ShapeCount() - 1; i >= 0; --i) {
    TdocShape* candidate = DocCore.GetShapes(i);
    if (candidate->GetVisible() && candidate->PointInShape(clientPoint)) {
      shape = candidate;
      return hkBody;
    }
  }
  return hkNone;
}

TdocShape* TdocEditor::FindShapeForDoubleClick(const TPoint& clientPoint) const {
  for (int i = DocCore.ShapeCount() - 1; i >= 0; --i) {
    TdocShape* found = nullptr;
    if (DocCore.GetShapes(i)->ShapeAtPoint(clientPoint, found) && found) return found;
  }
  return nullptr;
}

TCursor TdocEditor::CursorForHandle(std::uint8_t kind, float angle, TCursor other) {
  if (!IsSizingKind(kind)) return other;
  // The handles turn with the shape: every 45 degrees one step further round.
  const double rounded = std::isfinite(angle) ? std::nearbyint(double{angle} + 22.5) : 0.0;
  const auto steps = static_cast<int>(std::fmod(std::trunc(rounded / 45.0), 8.0));
  const int turned = hkTopLeft + ((kind - hkTopLeft + steps) % 8 + 8) % 8;
  switch (turned) {
    case hkTopLeft:
    case hkBottomRight: return crSizeNWSE;
    case hkBottomLeft:
    case hkTopRight: return crSizeNESW;
    case hkLeft:
    case hkRight: return crSizeWE;
    default: return crSizeNS;
  }
}

TCursor TdocEditor::HandleCursor(std::uint8_t kind, const TdocShape* shape) const {
  return CursorForHandle(kind, shape ? shape->GetDocAngle() : 0.0f, DocCore.Options.Cursor);
}

TFloatPoint TdocEditor::SnapToGridPoint(const TFloatPoint& point, bool snap) const {
  const TdocPage* page = DocCore.GetCurrentPage();
  if (!snap || !page) return point;
  const TFloatPoint origin{page->GetDocLeft(), page->GetDocTop()};
  TFloatPoint snapped;
  page->SnapPoint({point.X - origin.X, point.Y - origin.Y}, snapped);
  return {snapped.X + origin.X, snapped.Y + origin.Y};
}

// ---- left button

void TdocEditor::LeftButtonDown(const TdocMouseInput& input) {
  Host.TakeFocus();
  LastAlt = input.Alt;
  DoMouseEvent(DocCore.OnMouseDown, mbLeft, input);
  if (DocCore.GetEditState() == esInsertDragging) return;
  DragOffset = {0, 0};
  const TFloatPoint unsnapped = DocPoint(input);
  DragStart = SnapToGridPoint(unsnapped, SnapFlag(input.Alt));
  // A shape waiting for its frame keeps the bottom-right handle as its hit,
  // so the frame's corner snaps like a handle's.
  if (DocCore.GetEditState() == esInsertPending) {
    if (DocCore.GetInsertByDrag()) {
      DocCore.SetEditState(esInsertDragging);
      DocCore.DrawInsertFrame(DragStart, DragOffset);
    } else {
      EndShapeInsert(true);
    }
    return;
  }
  TdocShape* shape = nullptr;
  const std::uint8_t kind = FindShapeAt(ClientPoint(input), shape);
  DocCore.SetHit(kind, shape);
  if (DocCore.GetEditState() == esInPlaceEdit) {
    if (TdocShape* edited = DocCore.GetEditShape()) {
      edited->EditMouseDown(mbLeft, ShiftOf(input), input.X, input.Y);
      // The press belongs to the edit unless it ended the edit (a click
      // beside a text); then it selects as any other press.
      if (shape == edited || DocCore.GetEditShape() == edited) return;
    }
  }
  if (DocCore.GetMode() != vmEdit) return;
  if (input.Ctrl && DocCore.Options.MultiSelectMethod == msmCtrl) {
    StartRubberBand(unsnapped);
    return;
  }
  // What the handlers above may have done (an edit closing) can have freed
  // the shape: take it from the core, which forgets freed shapes.
  shape = DocCore.GetHitShape();
  if (shape) SelectHitShape(DocCore.GetHitKind(), shape, input.Shift);
  ShowHitCursor(DocCore.GetHitKind(), shape, unsnapped);
}

void TdocEditor::SelectHitShape(std::uint8_t kind, TdocShape* shape, bool shift) {
  if (shift) {
    ToggleShapeSelection(shape);
    return;
  }
  if (kind == hkBody && shape->GetSelected()) return;
  auto update = DocCore.UpdateBracket();
  DocCore.ClearSelection();
  DocCore.SetFocusShape(shape);
  shape->SetSelected(true);
}

void TdocEditor::ShowHitCursor(std::uint8_t kind, TdocShape* shape, const TFloatPoint& unsnapped) {
  switch (kind) {
    case hkNone:
      if (DocCore.Options.MultiSelectMethod == msmSimple)
        StartRubberBand(unsnapped);
      else
        DocCore.ClearSelection();
      DocCore.SetFocusShape(nullptr);
      ShowCursor(DocCore.Options.Cursor);
      return;
    case hkBody: ShowCursor(DocCore.Options.Cursor); return;
    case hkRotate:
      DragStart = unsnapped;
      ShowCursor(crRotation);
      return;
    case hkPoint: ShowCursor(crSizeAll); return;
    default: ShowCursor(HandleCursor(kind, shape)); return;
  }
}

void TdocEditor::StartRubberBand(const TFloatPoint& unsnapped) {
  DragStart = unsnapped;
  DragOffset = {0, 0};
  SetEditState(esRubberBand);
  DocCore.DrawRubberBand(DragStart, DragOffset);
}

void TdocEditor::LeftButtonUp(const TdocMouseInput& input) {
  LastAlt = input.Alt;
  if (DoubleClicked) {
    DoubleClicked = false;
    FinishDragMove(false);
    return;
  }
  if (DocCore.GetEditState() == esInPlaceEdit)
    if (TdocShape* edited = DocCore.GetEditShape()) edited->EditMouseUp(mbLeft, ShiftOf(input), input.X, input.Y);
  switch (DocCore.GetEditState()) {
    case esInsertDragging:
      if (DragOffset.X != 0 || DragOffset.Y != 0) EndShapeInsert(true);
      break;
    case esRubberBand:
      DocCore.ClearSelection();
      EndRubberBand(true);
      break;
    case esDragging:
      if (DocCore.GetHitKind() == hkBody && input.Ctrl)
        DuplicateSelection();
      else
        FinishDragMove(true);
      if (TdocShape* focus = DocCore.GetFocusShape()) DocCore.DoShapeChanged(focus);
      break;
    default: break;
  }
  DoMouseEvent(DocCore.OnMouseUp, mbLeft, input);
}

void TdocEditor::DuplicateSelection() {
  const TFloatPoint offset = DragOffset;
  FinishDragMove(false);
  // The copies and their move are one step to undo.
  auto step = UndoStep(&DocCore);
  std::string xml;
  DocCore.CopySelectionToXml(xml);
  DocCore.ClearSelection();
  DocCore.PasteSelectionFromXml(xml);
  for (int i = 0; TdocShape* copy = DocCore.GetSelected(i); ++i)
    copy->SetDocPos(copy->GetDocLeft() + offset.X, copy->GetDocTop() + offset.Y);
}

void TdocEditor::LeftDoubleClick(const TdocMouseInput& input) {
  DoubleClicked = true;
  Host.TakeFocus();
  if (DocCore.GetEditState() == esInPlaceEdit) {
    if (TdocShape* edited = DocCore.GetEditShape()) {
      edited->EditDblClick();
      return;
    }
  }
  TdocShape* shape = FindShapeForDoubleClick(ClientPoint(input));
  if (!shape) return;
  if (!DocCore.GetReadOnly() && shape->AllowEdit) {
    DocCore.StartShapeEdit(shape);
    return;
  }
  shape->DoEditEvent();
  DocCore.SetHit(hkNone, nullptr);
}

// ---- middle and right buttons

void TdocEditor::OtherButtonDown(TMouseButton button, const TdocMouseInput& input) {
  // While a shape is edited in place every button is its input.
  if (DocCore.GetEditState() == esInPlaceEdit)
    if (TdocShape* edited = DocCore.GetEditShape()) edited->EditMouseDown(button, ShiftOf(input), input.X, input.Y);
  DoMouseEvent(DocCore.OnMouseDown, button, input);
}

void TdocEditor::OtherButtonUp(TMouseButton button, const TdocMouseInput& input) {
  if (DocCore.GetEditState() == esInPlaceEdit)
    if (TdocShape* edited = DocCore.GetEditShape()) edited->EditMouseUp(button, ShiftOf(input), input.X, input.Y);
  DoMouseEvent(DocCore.OnMouseUp, button, input);
}

// ---- mouse move

void TdocEditor::MouseMove(const TdocMouseInput& input) {
  LastAlt = input.Alt;
  SyncHotzoneTimer();
  if (DocCore.Options.HotzoneScrolling != hzsNoScroll && !HotzoneActive) HotzoneStep();
  const TdocEditState state = DocCore.GetEditState();
  if (state == esInPlaceEdit) {
    if (TdocShape* edited = DocCore.GetEditShape()) {
      edited->EditMouseMove(ShiftOf(input), input.X, input.Y);
      return;
    }
  }
  if (state == esInsertPending && !input.Left) {
    if (const TdocShape* waiting = DocCore.GetInsertShape()) ShowCursor(waiting->Cursor);
    return;
  }
  const std::uint8_t kind = DocCore.GetHitKind();
  TFloatPoint point = DocPoint(input);
  if (input.Left && (kind == hkBody || IsSizingKind(kind) || kind == hkPoint))
    point = SnapToGridPoint(point, SnapFlag(input.Alt));
  TFloatPoint offset{point.X - DragStart.X, point.Y - DragStart.Y};
  if (input.Shift && kind == hkBody) offset = LockedToAxis(offset);
  const bool changed = offset.X != DragOffset.X || offset.Y != DragOffset.Y;
  DragOffset = offset;

  if (state == esInsertDragging) {
    if (!changed) return;
    DocCore.DrawInsertFrame(DragStart, DragOffset);
    if (const TdocShape* waiting = DocCore.GetInsertShape()) ShowCursor(waiting->Cursor);
    return;
  }
  if (!input.Left) {
    HoverOver(input);
    return;
  }
  if (state == esRubberBand) {
    ShowCursor(DocCore.Options.Cursor);
    if (changed) DocCore.DrawRubberBand(DragStart, DragOffset);
    return;
  }
  DragWithButton(input, changed);
}

void TdocEditor::HoverOver(const TdocMouseInput& input) {
  TdocShape* shape = nullptr;
  const std::uint8_t kind = FindShapeAt(ClientPoint(input), shape);
  switch (kind) {
    case hkBody: ShowCursor(crHandPoint); break;
    case hkRotate: ShowCursor(crRotation); break;
    case hkPoint: ShowCursor(crSizeAll); break;
    case hkNone: ShowCursor(DocCore.Options.Cursor); break;
    default: ShowCursor(HandleCursor(kind, shape)); break;
  }
  if (kind == hkBody) {
    if (shape == DocCore.GetHintShape()) return;
    const int delay = DocCore.GetHintShape() ? DocCore.Options.HintShortPause : DocCore.Options.HintPause;
    StartShapeHint(ClientPoint(input), shape, delay);
    return;
  }
  DocCore.SetHintShape(nullptr);
  CancelShapeHint();
}

void TdocEditor::DragWithButton(const TdocMouseInput& input, bool changed) {
  const std::uint8_t kind = DocCore.GetHitKind();
  if (DocCore.GetEditState() == esIdle) {
    const float scale = DocCore.GetScreenScale();
    const float dx = DragOffset.X * scale, dy = DragOffset.Y * scale;
    if (dx * dx + dy * dy <= DragThresholdSquared) return;
    StartDragMove(DragOffset);
    if (DocCore.GetEditState() != esDragging) return;
    if (kind == hkBody) ShowCursor(crSizeAll);
    changed = false;
  }
  if (DocCore.GetEditState() != esDragging) return;
  if (kind == hkBody) {
    const bool outside =
        input.X < 0 || input.X > Host.ClientWidth() || input.Y < 0 || input.Y > Host.ClientHeight();
    if (outside) {
      FinishDragMove(false);
      Host.StartDragAndDrop();
      return;
    }
    ShowCursor(input.Ctrl ? crSizeCopy : crSizeAll);
  }
  if (changed) DrawFeedback();
}

// ---- gestures

void TdocEditor::SetEditState(TdocEditState state) {
  const TdocEditState current = DocCore.GetEditState();
  if (state == current) return;
  CancelShapeHint();
  if (current == esDragging) FinishDragMove(false);
  if (current == esRubberBand) EndRubberBand(false);
  if (current == esInsertDragging) EndShapeInsert(false);
  DocCore.SetEditState(state);
}

void TdocEditor::StartDragMove(const TFloatPoint& offset) {
  TdocShape* shape = DocCore.GetHitShape();
  const std::uint8_t kind = DocCore.GetHitKind();
  // Nothing to drag: no shape under the button, or a page that is only shown.
  if (!shape || kind == hkNone || DocCore.GetMode() != vmEdit) return;
  if (kind != hkBody) {
    DocCore.SetFocusShape(shape);
  } else {
    for (int i = 0; const TdocShape* selected = DocCore.GetSelected(i); ++i)
      if (!selected->AllowMove) {
        DocCore.SetHit(hkNone, shape);
        return;
      }
  }
  DragOffset = offset;
  DocCore.SetEditState(esDragging);
  DrawFeedback();
}

void TdocEditor::DrawFeedback() {
  // The Alt key as it was when the frames first showed rules the whole drag.
  if (DocCore.GetFeedback().Kind != fkDragFrames) DragAlt = LastAlt;
  DocCore.DrawDragFeedback(DragOffset, DragAlt);
}

void TdocEditor::FinishDragMove(bool apply) {
  if (DocCore.GetEditState() != esDragging) return;
  DocCore.SetEditState(esIdle);
  DocCore.EraseFeedback();
  if (apply) ApplyEditFrames();
  DocCore.SetHit(hkNone, nullptr);
}

void TdocEditor::ApplyEditFrames() {
  auto step = UndoStep(&DocCore);
  auto update = DocCore.UpdateBracket();
  for (int i = 0; TdocShape* shape = DocCore.GetSelected(i); ++i) {
    TdocTransform matrix;
    shape->ComputeEditFrame(DragOffset, DragAlt, DocCore.GetHitKind(), matrix);
    shape->ApplyEditFrame();
  }
}

void TdocEditor::EndRubberBand(bool apply) {
  DocCore.EraseFeedback();
  DocCore.SetEditState(esIdle);
  if (apply && DragOffset.X * DragOffset.Y != 0) SelectInRect(Normalized(DocCore.DocRectToClient(DragStart, DragOffset)));
}

void TdocEditor::SelectInRect(const TRect& clientRect) {
  auto update = DocCore.UpdateBracket();
  TdocShape* first = nullptr;
  for (int i = 0; i < DocCore.ShapeCount(); ++i) {
    TdocShape* shape = DocCore.GetShapes(i);
    const bool meets = shape->IntersectsRect(clientRect);
    shape->SetSelected(meets);
    if (meets && !first) first = shape;
  }
  DocCore.SetFocusShape(first);
}

void TdocEditor::ToggleShapeSelection(TdocShape* shape) {
  if (!shape) return;
  auto update = DocCore.UpdateBracket();
  shape->SetSelected(!shape->GetSelected());
  if (shape->GetSelected())
    DocCore.SetFocusShape(shape);
  else if (DocCore.GetFocusShape() == shape)
    DocCore.SetFocusShape(DocCore.GetSelected(0));
}

// ---- insertion

void TdocEditor::InsertShapeByClick(std::unique_ptr<TdocShape> shape) { StartShapeInsert(std::move(shape), false); }

void TdocEditor::InsertShapeByDrag(std::unique_ptr<TdocShape> shape) { StartShapeInsert(std::move(shape), true); }

void TdocEditor::StartShapeInsert(std::unique_ptr<TdocShape> shape, bool byDrag) {
  DocCore.CheckNotBusy();
  if (DocCore.GetEditShape()) DocCore.CloseShapeEdit(true);
  if (DocCore.GetInsertShape()) EndShapeInsert(false);
  SetEditState(esIdle);
  if (!shape) return;
  TdocShape* waiting = shape.get();
  DocCore.SetInsertShape(std::move(shape), byDrag);
  DocCore.ClearSelection();
  DocCore.SetEditState(esInsertPending);
  DocCore.SetHit(hkBottomRight, nullptr);
  if (DocCore.OnShapeInsertStart) DocCore.OnShapeInsertStart(&DocCore, waiting);
}

void TdocEditor::ApplyInsertFrame() {
  TdocShape* shape = DocCore.GetInsertShape();
  const TdocPage* page = DocCore.GetCurrentPage();
  if (!shape || !page) return;
  const TFloatPoint start{DragStart.X - page->GetDocLeft(), DragStart.Y - page->GetDocTop()};
  const bool sized = DragOffset.X != 0 || DragOffset.Y != 0;
  const TFloatPoint size = sized ? DragOffset : TFloatPoint{shape->GetDocWidth(), shape->GetDocHeight()};
  shape->SetDocRect({start.X, start.Y, start.X + size.X, start.Y + size.Y});
}

void TdocEditor::EndShapeInsert(bool commit) {
  if (DocCore.GetEditState() == esInsertDragging) DocCore.EraseFeedback();
  DocCore.SetEditState(esIdle);
  // Without a page the shape has nowhere to go: it is dropped as when cancelled.
  if (!commit || !DocCore.GetInsertShape() || !DocCore.GetCurrentPage()) {
    DocCore.CancelShapeInsert();
    DocCore.SetHit(hkNone, nullptr);
    return;
  }
  // A freehand shape is drawn right away: its insertion opens the undo step
  // its drawing continues, so that one Undo takes both back.
  const bool draw = dynamic_cast<TdocFreehandShape*>(DocCore.GetInsertShape()) != nullptr;
  if (draw) DocCore.BeginUndo();
  auto insertStep = TdocBracketGuard([this, draw] {
    if (draw) DocCore.EndUndo();
  });
  ApplyInsertFrame();
  std::unique_ptr<TdocShape> owned = DocCore.TakeInsertShape();
  TdocShape* shape = owned.get();
  DocCore.AddShape(std::move(owned));
  if (DocCore.OnShapeInsertClosed) DocCore.OnShapeInsertClosed(&DocCore, shape);
  shape->RefreshAll();
  shape->SetSelected(true);
  DocCore.SetHit(hkNone, nullptr);
  if (draw) DocCore.StartShapeEdit(shape);
}

// ---- keys

bool TdocEditor::KeyDown(TKey& key, TShiftState shift) {
  if (!DocCore.Options.AllowKeyInput) return false;
  if (DocCore.GetEditState() == esInPlaceEdit) {
    if (TdocShape* edited = DocCore.GetEditShape()) {
      edited->EditKeyDown(key, shift);
      return true;
    }
  }
  switch (key) {
    case VK_ESCAPE:
      SetEditState(esIdle);
      if (DocCore.GetInsertShape()) EndShapeInsert(false);
      break;
    case VK_DELETE:
      if (Editable()) {
        auto step = UndoStep(&DocCore);
        DocCore.DeleteSelectedShapes();
      }
      break;
    case VK_F1 + 1:
      if (TdocShape* first = DocCore.GetSelected(0)) DocCore.StartShapeEdit(first);
      break;
    case VK_F1 + 4:
      if (TdocPage* page = DocCore.GetCurrentPage()) page->RefreshAll();
      break;
    default: break;
  }
  return false;
}

bool TdocEditor::KeyPress(char16_t& key) {
  if (!DocCore.Options.AllowKeyInput) return false;
  if (DocCore.GetEditState() == esInPlaceEdit) {
    if (TdocShape* edited = DocCore.GetEditShape()) {
      edited->EditKeyPress(key);
      return true;
    }
  }
  switch (key) {
    case CharCopy: DocCore.CopySelection(); return true;
    case CharPaste:
      if (Editable()) DocCore.Paste();
      return true;
    case CharCut:
      if (Editable()) DocCore.CutSelection();
      return true;
    default: return false;
  }
}

void TdocEditor::ClipboardMenuClick(char16_t command) {
  if (DocCore.GetEditState() != esInPlaceEdit) return;
  if (TdocShape* edited = DocCore.GetEditShape()) edited->EditKeyPress(command);
}

bool TdocEditor::KeyUp(TKey& key, TShiftState shift) {
  if (!DocCore.Options.AllowKeyInput || DocCore.GetEditState() != esInPlaceEdit) return false;
  TdocShape* edited = DocCore.GetEditShape();
  if (!edited) return false;
  edited->EditKeyUp(key, shift);
  return true;
}

// ---- timers, hints, hot zone

void TdocEditor::TimerFired(TdocEditorTimer timer) {
  if (timer == etHotzone) {
    SyncHotzoneTimer();
    if (HotzoneActive) HotzoneStep();
    return;
  }
  if (HintShowing)
    CancelShapeHint();
  else
    ShowShapeHint();
}

void TdocEditor::StartShapeHint(const TPoint& clientPoint, TdocShape* shape, int delay) {
  CancelShapeHint();
  if (!shape) return;
  const bool show = shape->ParentShowHint ? ShowHint : shape->GetShowHint();
  if (!show) return;
  const std::string text = shape->GetHint().empty() ? rtl::Utf16ToUtf8(shape->GetName()) : shape->GetHint();
  if (text.empty()) return;
  DocCore.SetHintShape(shape);
  HintPoint = clientPoint;
  Host.StartTimer(etHint, std::max(0, delay));
}

void TdocEditor::ShowShapeHint() {
  const TdocShape* shape = DocCore.GetHintShape();
  if (!shape) return;
  const std::string text = shape->GetHint().empty() ? rtl::Utf16ToUtf8(shape->GetName()) : shape->GetHint();
  Host.ShowHintWindow({HintPoint.X, HintPoint.Y + HintOffsetY}, text);
  HintShowing = true;
  Host.StartTimer(etHint, std::max(0, DocCore.Options.HintHidePause));
}

void TdocEditor::CancelShapeHint() {
  Host.StopTimer(etHint);
  if (HintShowing) Host.HideHintWindow();
  HintShowing = false;
}

void TdocEditor::SyncHotzoneTimer() {
  const bool wanted = DocCore.Options.HotzoneScrolling != hzsNoScroll;
  if (wanted == HotzoneTimerRunning) return;
  HotzoneTimerRunning = wanted;
  HotzoneActive = false;
  if (wanted)
    Host.StartTimer(etHotzone, HotzoneInterval);
  else
    Host.StopTimer(etHotzone);
}

void TdocEditor::HotzoneStep() {
  const TdocEditState state = DocCore.GetEditState();
  if (state == esInsertDragging || state == esInPlaceEdit) return;
  const std::uint32_t now = Host.TickCount();
  const float dt = static_cast<float>(std::clamp<std::uint32_t>(now - HotzoneTick, 1, 200));
  HotzoneTick = now;
  const TPoint mouse = Host.MousePosition();
  const float travelled = std::hypot(float(mouse.X - HotzoneMouse.X), float(mouse.Y - HotzoneMouse.Y));
  HotzoneMouse = mouse;
  // A pointer passing through the border is not resting in it.
  if (!HotzoneActive && travelled / dt * 1000.0f > 30.0f) return;
  const float fx = HotzoneDepth(mouse.X, Host.ClientWidth());
  const float fy = HotzoneDepth(mouse.Y, Host.ClientHeight());
  if (!Host.InsideParent(mouse) || (fx == 0 && fy == 0)) {
    HotzoneActive = false;
    return;
  }
  HotzoneTime = HotzoneActive ? HotzoneTime + dt : 10.0f;
  const float grown = HotzoneTime / 700.0f;
  const int dx = HotzoneStepPixels(dt, fx, grown);
  const int dy = HotzoneStepPixels(dt, fy, grown);
  // Shapes being dragged follow the scroll; otherwise only hzsAlways scrolls.
  if (DocCore.GetFeedback().Kind == fkDragFrames || DocCore.Options.HotzoneScrolling == hzsAlways)
    Host.ScrollView(dx, dy);
  HotzoneActive = true;
}
