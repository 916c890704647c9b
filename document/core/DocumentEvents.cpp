// The bookkeeping of the document core: update brackets and their deferred
// events, modification, busy and printing counters, undo lists, coordinate
// maps and the timer tick.

#include <cstdlib>

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "imaging/core/PerfTimer.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Numbers.h"

// ---- update brackets and events

void TdocDocumentCore::BeginUpdate() { ++UpdateCount; }

void TdocDocumentCore::EndUpdate() {
  if (UpdateCount <= 0) throw EInvalidOperation("EndUpdate called more often than BeginUpdate");
  if (--UpdateCount > 0) return;
  if (ShapeChangePending) DoShapeChanged(nullptr);
  if (SelectionChangePending) DoSelectionChanged();
  if (FocusChangePending) DoFocusShape(GetFocusShape());
}

void TdocDocumentCore::DoShapeChanged(TdocShape* shape) {
  SetModified(true);
  ShapeChangePending = UpdateCount > 0;
  if (!ShapeChangePending && OnShapeChanged) OnShapeChanged(this, shape);
}

void TdocDocumentCore::DoSelectionChanged() {
  SelectionChangePending = UpdateCount > 0;
  if (!SelectionChangePending && OnSelectionChanged) OnSelectionChanged(this);
}

void TdocDocumentCore::DoFocusShape(TdocShape* shape) {
  FocusChangePending = UpdateCount > 0;
  if (!FocusChangePending && OnFocusShape) OnFocusShape(this, shape);
}

void TdocDocumentCore::SetModified(bool value) {
  ModifiedTick = imaging::GetTickCount();
  const bool cleared = Modified && !value;
  Modified = value;
  if (cleared)
    for (const auto& page : Pages) page->SetModified(false);
}

void TdocDocumentCore::DoDocumentChanged() {
  SetModified(true);
  if (OnDocumentChanged) OnDocumentChanged(this);
}

void TdocDocumentCore::DoPageChanged(TdocPage* page) {
  if (OnPageChanged) OnPageChanged(this, page);
}

void TdocDocumentCore::DoShapeListChanged() {
  if (OnShapeListChanged) OnShapeListChanged(this);
}

void TdocDocumentCore::DoLoadError(TdocShape* shape, const std::string& error) {
  if (OnLoadError) OnLoadError(this, shape, error);
}

void TdocDocumentCore::DoEditNotice(TdocShape* shape, const std::string& message) {
  if (OnEditNotice) OnEditNotice(this, shape, message);
}

void TdocDocumentCore::DoShapeLoadAdditionalInfo(TdocShape* shape, TXmlNode& node) {
  if (OnShapeLoadAdditionalInfo) OnShapeLoadAdditionalInfo(this, shape, node);
}

void TdocDocumentCore::DoShapeSaveAdditionalInfo(TdocShape* shape, TXmlNode& node) {
  if (OnShapeSaveAdditionalInfo) OnShapeSaveAdditionalInfo(this, shape, node);
}

// ---- busy and printing

void TdocDocumentCore::BeginBusy(TCursor cursor) {
  ShowCursor(cursor);
  ++BusyCount;
}

void TdocDocumentCore::EndBusy() {
  if (BusyCount == 0) return;
  if (--BusyCount > 0) return;
  ShowCursor(Options.Cursor);
  if (HasPostedAutoDeletes() && View) View->PostAutoDeletes();
}

void TdocDocumentCore::CheckNotBusy() const {
  if (IsBusy()) throw EInvalidOperation("Threading error (working already)");
}

void TdocDocumentCore::ShowCursor(TCursor cursor) {
  const TCursor own = Options.Cursor;
  const bool keepOwn = IsBusy() && own != crDefault && !(own == crAppStart && cursor == crHourGlass);
  if (!keepOwn && View) View->ShowScreenCursor(cursor);
}

void TdocDocumentCore::EndPrinting() {
  if (PrintingCount <= 0) throw EInvalidOperation("EndPrinting called more often than BeginPrinting");
  --PrintingCount;
}

// ---- undo lists

void TdocDocumentCore::BeginUndo() {
  ++UndoDepth;
  BeginUpdate();
}

void TdocDocumentCore::EndUndo() {
  if (UndoDepth <= 0) throw EInvalidOperation("EndUndo called more often than BeginUndo");
  if (--UndoDepth == 0) UndoGrouped = false;
  EndUpdate();
}

void TdocDocumentCore::ResumeUndo() {
  if (UndoLock > 0) --UndoLock;
}

namespace {

bool RepeatsProperty(const TdocCommand& last, const TdocCommand& next) {
  return last.Kind == ckPropertyValue && next.Kind == ckPropertyValue && last.ShapeId == next.ShapeId &&
         last.PropName == next.PropName && last.Value == next.Value;
}

}  // namespace

void TdocDocumentCore::AddUndoCommand(std::unique_ptr<TdocCommand> command) {
  if (!GetUndoEnabled() || !command) return;
  if (Replay == urRedoing) return KeepReplayed(UndoList, std::move(command));
  if (RedoList.empty() && !UndoList.empty() && RepeatsProperty(*UndoList.back(), *command)) return;
  // Only a command that is kept counts as the group's first: a dropped
  // repeat must not join this action to the one before.
  if (UndoDepth > 0) {
    command->Grouped = UndoGrouped;
    UndoGrouped = true;
  }
  RedoList.clear();
  UndoMemory += command->GetMemorySize();
  UndoList.push_back(std::move(command));
  TrimUndoList();
}

void TdocDocumentCore::TrimUndoList() {
  while (UndoMemory >= UndoMemoryCap && !UndoList.empty()) {
    UndoMemory -= UndoList.front()->GetMemorySize();
    UndoList.erase(UndoList.begin());
  }
}

void TdocDocumentCore::AddRedoCommand(std::unique_ptr<TdocCommand> command) {
  // Only an undo replay records redo steps; anything else is dropped.
  if (Replay == urUndoing && command) KeepReplayed(RedoList, std::move(command));
}

void TdocDocumentCore::KeepReplayed(std::vector<std::unique_ptr<TdocCommand>>& list,
                                    std::unique_ptr<TdocCommand> command) {
  command->Grouped = ReplayGrouped;
  ReplayGrouped = true;
  if (&list == &UndoList) UndoMemory += command->GetMemorySize();
  list.push_back(std::move(command));
  if (&list == &UndoList) TrimUndoList();
}

void TdocDocumentCore::ClearUndo() {
  UndoList.clear();
  RedoList.clear();
  UndoMemory = 0;
}

const TdocCommand* TdocDocumentCore::GetUndoCommand(int index) const {
  if (index < 0 || index >= GetUndoCount()) return nullptr;
  return UndoList[static_cast<std::size_t>(index)].get();
}

// ---- coordinates

void TdocDocumentCore::SetScreenScale(float value) {
  if (value == ScreenScale) return;
  ScreenScale = value;
  if (RenderAtScreenRes) SetRenderResolution(value);
}

void TdocDocumentCore::SetWindowOrigin(float left, float top) {
  WindowLeft = left;
  WindowTop = top;
}

TFloatPoint TdocDocumentCore::DocToClient(const TFloatPoint& p) const {
  return {(p.X - WindowLeft) * ScreenScale, (p.Y - WindowTop) * ScreenScale};
}

TFloatPoint TdocDocumentCore::ClientToDoc(const TFloatPoint& p) const {
  return {p.X / ScreenScale + WindowLeft, p.Y / ScreenScale + WindowTop};
}

TRect TdocDocumentCore::DocRectToClient(const TFloatPoint& topLeft, const TFloatPoint& size) const {
  const TFloatPoint a = DocToClient(topLeft);
  const TFloatPoint b = DocToClient({topLeft.X + size.X, topLeft.Y + size.Y});
  return {rtl::Round(a.X), rtl::Round(a.Y), rtl::Round(b.X), rtl::Round(b.Y)};
}

// ---- timer

void TdocDocumentCore::TimerTick() {
  if (InTimerTick) return;
  InTimerTick = true;
  auto done = TdocBracketGuard([this] { InTimerTick = false; });
  UpdatePages();
  TickCaret();
  if (OnAnimate) OnAnimate(this);
  // An animation may change the page list; the count is read anew each step.
  for (int i = 0; i < ShapeCount(); ++i) GetShapes(i)->Animate();
}

void TdocDocumentCore::UpdatePages() {
  if (!Options.AutoPageUpdate || !GetCurrentPage()) return;
  const std::uint32_t now = imaging::GetTickCount();
  if (EditState != esIdle) ModifiedTick = now;
  // Unsigned difference: the tick count may wrap around.
  const std::uint32_t quiet = std::min(now - ModifiedTick, ModifiedTick - now);
  if (static_cast<std::int64_t>(quiet) < Options.PageUpdateInterval) return;
  // Each update may report the page changed; work on a copy of the set.
  const std::set<const TdocPage*> pending = std::move(PagesToUpdate);
  PagesToUpdate.clear();
  for (const auto& page : Pages)
    if (pending.contains(page.get())) page->PageUpdated();
}
