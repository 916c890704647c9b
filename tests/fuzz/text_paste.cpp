// Pastes arbitrary text from the desktop clipboard into a text being edited
// in place. Byte 0 picks the text shape (bits 0-2), how the paste arrives
// (bits 3-4: Ctrl+V, the clipboard menu, Ctrl+V after the caret went to the
// end, two pastes) and whether the edit is taken or dropped (bit 5); the
// rest is the clipboard's UTF-16 text, which the desktop hands over as UTF-8
// as the system clipboard does. The shape is edited through the editor's own
// keys (F2 starts the edit and takes it, Escape drops it). A dropped edit must
// give the old text back; a taken one must render, and its shape must
// save and read back to the same text, blanks and control characters at its
// ends included.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "app/shapes/ShapesStartUp.h"
#include "document/core/DocumentCore.h"
#include "document/core/TextClipboard.h"
#include "document/editor/EditorInteraction.h"
#include "document/page/Page.h"
#include "document/text/PolygonText.h"
#include "document/text/ProjectiveText.h"
#include "document/text/TextShape.h"
#include "document/text/TransformText.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/rtl/Keys.h"
#include "platform/rtl/Strings.h"
#include "xml/XmlDocument.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

class DesktopClipboard : public TdocTextClipboard {
public:
  std::string GetText() const override { return Text; }
  void SetText(const std::string& text) override { Text = text; }
  std::string Text;
};

// A window that does nothing: the keys need none of it.
class QuietHost : public TdocEditorHost {
public:
  std::uint32_t TickCount() const override { return 0; }
  TPoint MousePosition() const override { return {0, 0}; }
  bool InsideParent(const TPoint&) const override { return true; }
  int ClientWidth() const override { return 400; }
  int ClientHeight() const override { return 300; }
  void ScrollView(int, int) override {}
  void TakeFocus() override {}
  void StartDragAndDrop() override {}
  void ShowHintWindow(const TPoint&, const std::string&) override {}
  void HideHintWindow() override {}
  void StartTimer(TdocEditorTimer, int) override {}
  void StopTimer(TdocEditorTimer) override {}
};

std::unique_ptr<TdocTextBaseShape> NewTextShape(int kind) {
  switch (kind) {
    case 1: return std::make_unique<TdocMemoShape>();
    case 2: return std::make_unique<TdocCurvedText>();
    case 3: return std::make_unique<TdocProjectiveText>();
    case 4: return std::make_unique<TdocWavyText>();
    case 5: return std::make_unique<TdocPolygonText>();
    case 6: return std::make_unique<TdocPolygonMemo>();
    default: return std::make_unique<TdocTextShape>();
  }
}

std::u16string Utf16Of(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  return text;
}

void Press(TdocEditor& editor, TKey key, TShiftState shift = 0) { editor.KeyDown(key, shift); }

void Type(TdocEditor& editor, char16_t key) { editor.KeyPress(key); }

TdocTextBaseShape* TextShapeOf(TdocDocumentCore& doc) { return dynamic_cast<TdocTextBaseShape*>(doc.GetShapes(0)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  app::StartUpShapes();
  if (size < 1) return 0;
  const std::uint8_t control = data[0];
  DesktopClipboard clipboard;
  clipboard.Text = rtl::Utf16ToUtf8(Utf16Of(data + 1, size - 1));
  TdocDocumentCore doc;
  doc.SetTextClipboard(&clipboard);
  QuietHost host;
  TdocEditor editor(doc, host);
  auto created = NewTextShape(control & 7);
  created->SetText(u"Label 1");
  created->SetDocFrame(10, 10, 60, 20, 0);
  doc.AddShape(std::move(created));
  doc.ClearUndo();
  const std::u16string before = TextShapeOf(doc)->GetText();

  doc.GetShapes(0)->SetSelected(true);
  Press(editor, VK_F1 + 1);
  Check(doc.GetEditShape() == doc.GetShapes(0));
  switch (control >> 3 & 3) {
    case 0: Type(editor, CharPaste); break;
    case 1: editor.ClipboardMenuClick(CharPaste); break;
    case 2:
      Press(editor, VK_END);
      Type(editor, CharPaste);
      break;
    default:
      Type(editor, CharPaste);
      Type(editor, CharPaste);
      break;
  }
  TBitmap32 label;
  label.SetSize(240, 160);
  doc.GetCurrentPage()->RenderPageToBitmap(label, 0, 2.0f, clWhite32);
  const bool take = (control & 0x20) != 0;
  Press(editor, take ? VK_F1 + 1 : VK_ESCAPE);
  Check(doc.GetEditShape() == nullptr);
  TdocTextBaseShape* shape = TextShapeOf(doc);
  if (!take) {
    Check(shape->GetText() == before);
    return 0;
  }
  const std::u16string edited = shape->GetText();
  doc.GetCurrentPage()->RenderPageToBitmap(label, 0, 2.0f, clWhite32);
  TXmlDocument saved("Shape");
  shape->SaveToXml(*saved.GetRoot());
  TXmlDocument read;
  read.ReadFromString(saved.WriteToString());
  auto again = NewTextShape(control & 7);
  again->LoadFromXml(read.GetRoot());
  Check(again->GetText() == edited);
  return 0;
}
