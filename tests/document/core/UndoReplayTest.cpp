// Undo and redo against the document's own XML: random sequences of the
// edits a user makes (move, resize, rotate, add, delete, group, effects,
// colours, paste, stacking order, grouping flags, names, line widths,
// barcode settings) on pages of rectangles, lines, barcodes and groups; undoing
// every step gives back each earlier document exactly, and redoing them all
// gives back the edited one. Seeds are fixed, so a failure repeats.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/document/DocumentXmlText.h"
#include "app/shapes/BarcodeShape.h"
#include "app/shapes/ShapesStartUp.h"
#include "document/core/DocumentCore.h"
#include "document/effects/EffectShape.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/LineShape.h"
#include "document/page/Page.h"
#include "document/effects/ShadowEffect.h"

namespace {

using doctest::DocumentXmlText;

class TEditor {
public:
  explicit TEditor(std::uint32_t seed) : Random(seed) {
    Doc.SetUseClipboard(false);
    for (int i = 0; i < 4; ++i) AddShape();
    Doc.ClearUndo();
  }

  // One user action, bracketed as the editor brackets it: one undo step, or
  // none when it changed nothing.
  void Edit() {
    auto step = UndoStep(&Doc);
    const int kind = Pick(15);
    Log.append(Names[kind]).append(" ");
    switch (kind) {
      // Two draws for one call are made one after the other: the order of a
      // call's arguments is the compiler's.
      case 0:
        if (TdocShape* s = AnyShape()) {
          const float dx = Offset(), dy = Offset();
          s->SetDocPos(s->GetDocLeft() + dx, s->GetDocTop() + dy);
        }
        break;
      case 1:
        if (TdocShape* s = AnyShape()) {
          const float width = Size(), height = Size();
          s->SetDocBounds(s->GetDocLeft(), s->GetDocTop(), width, height);
        }
        break;
      case 2: if (TdocShape* s = AnyShape()) s->SetDocAngle(s->GetDocAngle() + Offset() * 7); break;
      case 3: AddShape(); break;
      case 4: if (Doc.ShapeCount() > 0) Doc.DeleteShape(Pick(Doc.ShapeCount())); break;
      case 5: Group(); break;
      case 6: EditEffects(); break;
      case 7: if (TdocShape* s = AnyShape()) s->SetMasterAlpha(Pick(256)); break;
      case 8: if (auto* p = dynamic_cast<TdocPolygonShape*>(AnyShape())) p->SetFillColor(Pick(0x1000000)); break;
      case 9: CopyAndPaste(); break;
      case 10: Reorder(); break;
      case 11: if (TdocShape* s = AnyShape()) { s->SetGrouped(!s->GetGrouped()); s->SetAnchors(Pick(0x200)); } break;
      case 12: if (TdocShape* s = AnyShape()) s->SetName(Pick(2) ? u"Étiquette " + std::u16string(1, u'A' + Pick(3)) : u""); break;
      case 13: if (auto* l = dynamic_cast<TdocLineShape*>(AnyShape())) l->SetLineWidth(static_cast<float>(Pick(40)) * 0.05f); break;
      default: EditBarcode();
    }
  }

  TdocDocumentCore Doc;
  // The actions so far, for failure messages.
  std::string Log;

private:
  static constexpr const char* Names[] = {"move",  "size",  "turn",  "add",      "delete",   "group", "effect",
                                          "alpha", "colour", "paste", "reorder", "grouping", "name",  "width", "barcode"};

  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(Random); }
  float Offset() { return static_cast<float>(Pick(41) - 20) * 0.37f + 0.1f; }
  float Size() { return 1.0f + static_cast<float>(Pick(300)) * 0.173f; }

  // A shape of the current page, children of groups included.
  TdocShape* AnyShape() {
    std::vector<TdocShape*> shapes;
    const std::function<void(const TdocShape&)> collect = [&](const TdocShape& parent) {
      for (int i = 0; i < parent.GetShapeCount(); ++i) {
        shapes.push_back(parent.GetShapes(i));
        collect(*parent.GetShapes(i));
      }
    };
    collect(*Doc.GetCurrentPage());
    return shapes.empty() ? nullptr : shapes[static_cast<std::size_t>(Pick(static_cast<int>(shapes.size())))];
  }

  void AddShape() {
    std::unique_ptr<TdocShape> shape;
    switch (Pick(4)) {
      case 0: shape = std::make_unique<TdocRectangleShape>(); break;
      case 1: shape = std::make_unique<TdocLineShape>(); break;
      case 2: {
        auto barcode = std::make_unique<TdocBarCodeShape>();
        barcode->CreateNewBarcode();
        shape = std::move(barcode);
        break;
      }
      default: shape = std::make_unique<TdocEllipseShape>();
    }
    const auto left = static_cast<float>(Pick(150)), top = static_cast<float>(Pick(250));
    const float width = Size(), height = Size();
    shape->SetDocFrame(left, top, width, height, static_cast<float>(Pick(4) * 30));
    Doc.AddShape(std::move(shape));
  }

  // Two or more shapes of the page into a new group that fits them.
  void Group() {
    TdocPage& page = *Doc.GetCurrentPage();
    if (page.GetShapeCount() < 2) return;
    std::vector<TdocShape*> members;
    for (int i = 0; i < page.GetShapeCount(); ++i)
      if (Pick(2) == 0 || members.empty()) members.push_back(page.GetShapes(i));
    auto group = std::make_unique<TdocGroupShape>();
    TdocGroupShape& added = *group;
    Doc.AddShape(std::move(group));
    for (TdocShape* member : members) added.AddShape(page.ExtractShape(member));
    added.FitToChildren();
  }

  void EditEffects() {
    auto* shape = dynamic_cast<TdocEffectShape*>(AnyShape());
    if (!shape) return;
    auto* shadow = dynamic_cast<TdocShadowEffect*>(shape->GetEffects(0));
    switch (shadow ? Pick(3) : 0) {
      case 0: {
        auto effect = std::make_unique<TdocShadowEffect>();
        effect->SetBlur(static_cast<float>(Pick(5)));
        shape->InsertEffect(Pick(shape->GetEffectCount() + 1), std::move(effect));
        break;
      }
      case 1: shadow->SetIntensity(static_cast<float>(Pick(100)) / 100.0f); shadow->SetDeltaX(Offset()); break;
      default: shape->DeleteEffect(0);
    }
  }

  // The component edited as the property panel edits it, then recorded.
  void EditBarcode() {
    auto* shape = dynamic_cast<TdocBarCodeShape*>(AnyShape());
    if (!shape) return;
    const std::string before = shape->GetBarcodeState();
    TVmBarcode& barcode = *shape->GetBarcode();
    barcode.SetText(std::to_string(100000 + Pick(900000)));
    if (Pick(2) == 0) barcode.SetTyp(Pick(2) == 0 ? bcCode128B : bcCode39);
    barcode.SetShowText(Pick(2) == 0 ? bcoCode : bcoNone);
    shape->FDocangleinitial = static_cast<float>(Pick(4) * 45);
    shape->RecordBarcodeChange(before);
  }

  // Some shapes of the page selected, then sent one step back or forward.
  void Reorder() {
    Doc.ClearSelection();
    for (int i = 0; i < Doc.ShapeCount(); ++i) Doc.GetShapes(i)->SetSelected(Pick(3) == 0);
    if (Pick(2) == 0)
      Doc.SendSelectionBackward();
    else
      Doc.BringSelectionForward();
  }

  void CopyAndPaste() {
    Doc.ClearSelection();
    for (int i = 0; i < Doc.ShapeCount(); ++i) Doc.GetShapes(i)->SetSelected(Pick(2) == 0);
    Doc.CopySelection();
    Doc.Paste();
  }

  std::mt19937 Random;
};

// Where two document texts part, with some context, for failure messages.
std::string Difference(const std::string& a, const std::string& b) {
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  const std::size_t shape = a.rfind("<ClassName>", at);
  const std::size_t from = shape == std::string::npos ? 0 : std::max(shape, at > 250 ? at - 250 : 0);
  return "\n  got:  " + a.substr(from, at - from + 300) + "\n  want: " + b.substr(from, at - from + 300);
}

// The commands of a list, oldest first, "+" marking those that join the
// group before them.
std::string Describe(const TdocDocumentCore& doc, bool undoList) {
  std::ostringstream out;
  const int count = undoList ? doc.GetUndoCount() : doc.GetRedoCount();
  for (int i = 0; i < count; ++i) {
    const TdocCommand& command = *(undoList ? doc.GetUndoCommand(i) : doc.GetRedoCommand(i));
    out << "\n  " << command.Kind << (command.Grouped ? "+" : " ") << " shape " << command.ShapeId << " "
        << command.PropName << " = " << command.Value.substr(0, 40);
  }
  return out.str();
}

// One undo (or redo) step, which must give the document the text wanted;
// a failure names the step and shows the list it was taken from.
void Replay(TdocDocumentCore& doc, bool undo, const std::string& wanted, const std::string& context) {
  ASSERT_TRUE(undo ? doc.CanUndo() : doc.CanRedo()) << context;
  const std::string list = Describe(doc, undo);
  try {
    undo ? doc.Undo() : doc.Redo();
  } catch (const std::exception& e) {
    FAIL() << e.what() << ", " << context << list;
  }
  const std::string got = DocumentXmlText(doc);
  ASSERT_TRUE(got == wanted) << context << list << Difference(got, wanted);
}

int GroupCount(const TdocDocumentCore& doc) {
  int groups = 0;
  for (int i = 0; i < doc.GetUndoCount(); ++i) groups += doc.GetUndoCommand(i)->Grouped ? 0 : 1;
  return groups;
}

TEST(UndoReplayTest, UndoingEveryStepGivesBackEachEarlierDocumentAndRedoTheEditedOne) {
  app::StartUpShapes();
  constexpr int Sequences = 300;
  constexpr int Edits = 14;
  for (std::uint32_t seed = 1; seed <= Sequences; ++seed) {
    TEditor editor(seed);
    TdocDocumentCore& doc = editor.Doc;
    std::vector<std::string> states{DocumentXmlText(doc)};
    for (int i = 0; i < Edits; ++i) {
      const int before = GroupCount(doc);
      editor.Edit();
      const int added = GroupCount(doc) - before;
      ASSERT_LE(added, 1) << "seed " << seed << ": one action, one step";
      if (added == 1) states.push_back(DocumentXmlText(doc));
      else ASSERT_EQ(DocumentXmlText(doc), states.back()) << "seed " << seed << ": a change without a step";
    }
    const std::string context = "seed " + std::to_string(seed) + ", edits: " + editor.Log;
    for (std::size_t step = states.size() - 1; step > 0; --step)
      ASSERT_NO_FATAL_FAILURE(Replay(doc, true, states[step - 1], context + ", undoing step " + std::to_string(step)));
    EXPECT_FALSE(doc.CanUndo()) << context;
    for (std::size_t step = 1; step < states.size(); ++step)
      ASSERT_NO_FATAL_FAILURE(Replay(doc, false, states[step], context + ", redoing step " + std::to_string(step)));
    EXPECT_FALSE(doc.CanRedo()) << context;
  }
}

}  // namespace
