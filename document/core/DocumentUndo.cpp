// Undo and redo on the commands the shapes record: a step replays one group
// of commands, newest first, through the shapes they belong to. What the
// shapes record while a step replays is the step's inverse, kept as one group
// of the other list.

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "platform/rtl/Exception.h"

void TdocDocumentCore::ExecuteCommand(const TdocCommand& command) {
  if (command.ShapeId != 0) {
    if (const TdocPage* current = GetCurrentPage())
      for (int i = 0; i < current->GetShapeCount(); ++i)
        if (current->GetShapes(i)->ApplyCommand(command)) return;
    for (const auto& page : Pages)
      if (page->ApplyCommand(command)) return;
  }
  throw Exception("Unable to execute Undo");
}

void TdocDocumentCore::Undo() {
  CheckNotBusy();
  if (CanUndo()) ReplayGroup(UndoList, urUndoing);
}

void TdocDocumentCore::Redo() {
  CheckNotBusy();
  if (CanRedo()) ReplayGroup(RedoList, urRedoing);
}

const TdocCommand* TdocDocumentCore::GetRedoCommand(int index) const {
  if (index < 0 || index >= GetRedoCount()) return nullptr;
  return RedoList[static_cast<std::size_t>(index)].get();
}

std::vector<std::unique_ptr<TdocCommand>> TdocDocumentCore::TakeLastGroup(
    std::vector<std::unique_ptr<TdocCommand>>& from) {
  auto first = from.end();
  // The group's first command is the unflagged one; the cap may have dropped
  // it, and then the rest of the list is the group.
  while (first != from.begin()) {
    --first;
    if (!(*first)->Grouped) break;
  }
  std::vector<std::unique_ptr<TdocCommand>> group(std::make_move_iterator(first), std::make_move_iterator(from.end()));
  from.erase(first, from.end());
  if (&from == &UndoList)
    for (const auto& command : group) UndoMemory -= command->GetMemorySize();
  return group;
}

void TdocDocumentCore::ReplayGroup(std::vector<std::unique_ptr<TdocCommand>>& from, TReplay mode) {
  std::vector<std::unique_ptr<TdocCommand>> group = TakeLastGroup(from);
  auto update = UpdateBracket();
  // While an undo replays, recording is suspended, so the shapes hand their
  // records to the redo list; a redo records into the undo list as usual.
  if (mode == urUndoing) SuspendUndo();
  Replay = mode;
  ReplayGrouped = false;
  auto done = TdocBracketGuard([this, mode] {
    Replay = urNone;
    if (mode == urUndoing) ResumeUndo();
  });
  for (auto command = group.rbegin(); command != group.rend(); ++command) ExecuteCommand(**command);
}
