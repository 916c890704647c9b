// The selection clipboard of the document core: the selected shapes of the
// current page as selection text, on the system clipboard or in the
// document's private text.

#include <set>
#include <vector>

#include "document/shape/ClassRegistry.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/core/SelectionXml.h"
#include "document/shape/ShapeByteForm.h"
#include "document/core/TextClipboard.h"
#include "platform/rtl/Strings.h"

namespace {

std::set<std::string> StreamNames(const TsdStorage* storage) {
  std::set<std::string> names;
  if (storage)
    for (int i = 0; i < storage->GetStreamCount(); ++i) names.insert(storage->GetStreamName(i));
  return names;
}

// The selected shapes of the current page, bottom first, found in one pass:
// a paste may have selected tens of thousands.
std::vector<TdocShape*> SelectedShapesOf(const TdocDocumentCore& doc) {
  std::vector<TdocShape*> selected;
  for (int i = 0, count = doc.ShapeCount(); i < count; ++i)
    if (TdocShape* shape = doc.GetShapes(i); shape->GetSelected()) selected.push_back(shape);
  return selected;
}

// Deletes the streams that were not there before.
void DeleteNewStreams(TsdStorage* storage, const std::set<std::string>& before) {
  for (const std::string& name : StreamNames(storage))
    if (!before.contains(name)) storage->DeleteStream(name);
}

}  // namespace

void TdocDocumentCore::CopySelectionToXml(std::string& text) const {
  const std::vector<TdocShape*> selected = SelectedShapesOf(*this);
  text = selected.empty() ? std::string() : WriteSelectionXml({selected.begin(), selected.end()});
}

int TdocDocumentCore::PasteSelectionFromXml(const std::string& text) {
  const std::vector<TdocSelectionItem> items = ReadSelectionXml(text);
  if (items.empty() || !GetCurrentPage()) return 0;
  // Every shape is read in full before the first one joins the page: a
  // selection that fails to load leaves neither shapes nor their resources.
  std::vector<std::unique_ptr<TdocShape>> shapes;
  const std::set<std::string> streamsBefore = StreamNames(GetStorage());
  try {
    auto suspended = UndoSuspension(this);
    for (const TdocSelectionItem& item : items) {
      shapes.push_back(GetShapeClass(item.ClassName).Create());
      shapes.back()->SetDocument(this);
      ShapesFromString(*shapes.back(), item.Bytes);
    }
  } catch (...) {
    shapes.clear();
    DeleteNewStreams(GetStorage(), streamsBefore);
    throw;
  }
  auto update = UpdateBracket();
  ClearSelection();
  for (auto& shape : shapes) {
    TdocShape& pasted = *shape;
    AddShape(std::move(shape));
    pasted.RefreshAll();
    pasted.SetSelected(true);
  }
  return static_cast<int>(items.size());
}

std::string TdocDocumentCore::ReadPasteText() const {
  return UseClipboard && TextClipboard ? TextClipboard->GetText() : ClipboardText;
}

void TdocDocumentCore::WritePasteText(const std::string& text) {
  if (UseClipboard && TextClipboard)
    TextClipboard->SetText(text);
  else
    ClipboardText = text;
}

std::u16string TdocDocumentCore::GetClipboardText() { return rtl::Utf8ToUtf16(ReadPasteText()); }

void TdocDocumentCore::SetClipboardText(const std::u16string& text) { WritePasteText(rtl::Utf16ToUtf8(text)); }

void TdocDocumentCore::CopySelection() {
  CheckNotBusy();
  if (!HasSelection()) return;
  auto step = UndoStep(this);
  std::string text;
  CopySelectionToXml(text);
  WritePasteText(text);
  LastCopyPage = GetCurrentPage();
}

void TdocDocumentCore::CutSelection() {
  CheckNotBusy();
  auto step = UndoStep(this);
  CopySelection();
  DeleteSelectedShapes();
  LastCopyPage = nullptr;
}

void TdocDocumentCore::Paste() {
  CheckNotBusy();
  auto step = UndoStep(this);
  if (PasteSelectionFromXml(ReadPasteText()) == 0) return;
  // A paste onto the page it came from lands one step right and down, so it
  // does not hide the shapes it copies.
  if (GetCurrentPage() == LastCopyPage)
    for (TdocShape* shape : SelectedShapesOf(*this)) {
      float width = 0, height = 0;
      shape->GetDefaultSize(width, height);
      shape->SetDocPos(shape->GetDocLeft() + width, shape->GetDocTop() + height);
    }
  LastCopyPage = GetCurrentPage();
  CopySelection();
}

bool TdocDocumentCore::CanPaste() const {
  if (UseClipboard && TextClipboard) return IsSelectionText(TextClipboard->GetText());
  return !ClipboardText.empty();
}
