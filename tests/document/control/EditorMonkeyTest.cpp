// Random input on the editor control holding every kind of shape of the
// document engine: clicks, drags (also out of the window), double clicks,
// keys with modifiers, the wheel, random text pasted, undo, redo, deletion
// and insertion. After every event no reference of the editor may point at
// a shape that is not on the page, brackets are closed outside an edit, and
// the shape count changes only with an undo record; at the end undoing
// everything gives the shapes back that the page started with.
//
// LABEL_MONKEY_EVENTS sets the number of events (400 by default),
// LABEL_MONKEY_SECONDS stops earlier after that many seconds and
// LABEL_MONKEY_SEED picks another sequence; the fuzz stage
// of ./test.sh runs it for a fixed time under the sanitizers.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <set>

#include <QClipboard>
#include <QGuiApplication>
#include <QWheelEvent>

#include "EditorTestSupport.h"
#include "document/shapes/BitmapShape.h"
#include "document/resources/BitmapResource.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/FreehandShape.h"
#include "document/shapes/LineShape.h"
#include "document/text/PolygonText.h"
#include "document/core/StartUp.h"
#include "document/text/TextShape.h"
#include "document/text/TransformText.h"
#include "imaging/bitmap/Bitmap32.h"

namespace {

int EnvInt(const char* name, int fallback) {
  bool ok = false;
  const int value = qEnvironmentVariableIntValue(name, &ok);
  return ok && value > 0 ? value : fallback;
}

bool IsOnPage(const TdocShape* root, const TdocShape* shape) {
  if (root == shape) return true;
  for (int i = 0; i < root->GetShapeCount(); ++i)
    if (IsOnPage(root->GetShapes(i), shape)) return true;
  return false;
}

std::multiset<std::string> ClassNames(const TdocDocumentCore& core) {
  std::multiset<std::string> names;
  for (int i = 0; i < core.ShapeCount(); ++i) names.insert(core.GetShapes(i)->ClassName());
  return names;
}

class TEditorMonkey {
public:
  TEditorMonkey(doctest::TTestDocument& control, unsigned seed) : Control(control), Random(seed) {}

  // The kind of the last action, for failure messages.
  int LastAction = -1;

  void Act() {
    // A page grown full is thinned: a band over the window, then Delete.
    LastAction = Core().ShapeCount() > 30 && Pick(4) == 0 ? 16 : Pick(16);
    switch (LastAction) {
      case 0:
      case 1:
      case 2: Click(); break;
      case 3:
      case 4:
      case 5: Drag(); break;
      case 6: QTest::mouseDClick(Control.viewport(), Qt::LeftButton, Modifiers(), AnyPoint()); break;
      case 7:
      case 8: Key(); break;
      case 9: Type(); break;
      case 10: Wheel(); break;
      case 11: PasteText(); break;
      case 12: Core().Undo(); break;
      case 13: Core().Redo(); break;
      case 14: Insert(); break;
      case 15: MoveMouse(); break;
      default: Thin(); break;
    }
  }

  bool Settles() { return Pick(4) == 0; }

private:
  TdocDocumentCore& Core() { return Control.Core(); }
  int Pick(int count) { return static_cast<int>(Random() % static_cast<unsigned>(count)); }

  Qt::KeyboardModifiers Modifiers() {
    Qt::KeyboardModifiers keys;
    if (Pick(4) == 0) keys |= Qt::ShiftModifier;
    if (Pick(4) == 0) keys |= Qt::ControlModifier;
    if (Pick(6) == 0) keys |= Qt::AltModifier;
    return keys;
  }

  // Mostly on shapes and their handles, sometimes anywhere, sometimes outside.
  QPoint AnyPoint() {
    const int width = Control.viewport()->width(), height = Control.viewport()->height();
    if (Core().ShapeCount() > 0 && Pick(3) != 0) {
      const TdocShape* shape = Core().GetShapes(Pick(Core().ShapeCount()));
      const float fx = static_cast<float>(Pick(5)) / 4.0f, fy = static_cast<float>(Pick(5)) / 4.0f;
      const TFloatPoint p = shape->ShapeToScreen({shape->GetDocWidth() * fx, shape->GetDocHeight() * fy});
      return {static_cast<int>(std::lround(std::clamp(p.X, -50.0f, 5000.0f))) + Pick(5) - 2,
              static_cast<int>(std::lround(std::clamp(p.Y, -50.0f, 5000.0f))) + Pick(5) - 2};
    }
    return {Pick(width + 40) - 20, Pick(height + 40) - 20};
  }

  void Click() {
    const Qt::MouseButton button = Pick(6) == 0 ? (Pick(2) ? Qt::RightButton : Qt::MiddleButton) : Qt::LeftButton;
    QTest::mouseClick(Control.viewport(), button, Modifiers(), AnyPoint());
  }

  void Drag() {
    const Qt::KeyboardModifiers keys = Modifiers();
    const QPoint from = AnyPoint();
    QTest::mousePress(Control.viewport(), Qt::LeftButton, keys, from);
    QPoint at = from;
    for (int i = 0, steps = 1 + Pick(4); i < steps; ++i) {
      const int dx = Pick(81) - 40, dy = Pick(81) - 40;
      at += QPoint(dx, dy);
      doctest::MoveMouse(Control, at, Qt::LeftButton, Pick(3) ? keys : Modifiers());
    }
    QTest::mouseRelease(Control.viewport(), Qt::LeftButton, keys, at);
  }

  void Thin() {
    const QPoint corner(Control.viewport()->width() - 1, Control.viewport()->height() - 1);
    QTest::keyClick(&Control, Qt::Key_Escape);
    doctest::DragMouse(Control, QPoint(1, 1), corner);
    QTest::keyClick(&Control, Qt::Key_Delete);
  }

  void MoveMouse() { doctest::MoveMouse(Control, AnyPoint(), Qt::NoButton, Modifiers()); }

  void Key() {
    static const Qt::Key keys[] = {Qt::Key_Delete, Qt::Key_Escape, Qt::Key_F2,   Qt::Key_F5,    Qt::Key_Return,
                                   Qt::Key_Tab,    Qt::Key_Left,   Qt::Key_Right, Qt::Key_Up,   Qt::Key_Down,
                                   Qt::Key_Home,   Qt::Key_End,    Qt::Key_Backspace, Qt::Key_Space, Qt::Key_C,
                                   Qt::Key_V,      Qt::Key_X,      Qt::Key_A};
    QTest::keyClick(&Control, keys[Pick(std::size(keys))], Modifiers());
  }

  void Type() {
    static const char* const texts[] = {"abc", "Z", "12 34", "é€ÿ", "\t", "x\ny"};
    for (const QChar c : QString::fromUtf8(texts[Pick(std::size(texts))])) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(&Control, &press);
    }
  }

  void Wheel() {
    const QPoint at = AnyPoint();
    QWheelEvent wheel(at, Control.viewport()->mapToGlobal(at), QPoint(), QPoint(0, Pick(2) ? 120 : -120),
                      Qt::NoButton, Pick(2) ? Qt::ShiftModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Control.viewport(), &wheel);
  }

  // Text of any kind on the clipboard, then Ctrl+V: a selection copied from
  // the page, the same cut short, or random characters.
  void PasteText() {
    QString text;
    std::string xml;
    Core().CopySelectionToXml(xml);
    // Into a text being edited a short piece: a text thousands of
    // characters long only slows every later event down.
    if (Core().GetEditState() == esInPlaceEdit) xml.resize(std::min<std::size_t>(xml.size(), 80));
    switch (Pick(3)) {
      case 0: text = QString::fromStdString(xml); break;
      case 1: text = QString::fromStdString(xml.substr(0, static_cast<std::size_t>(Pick(static_cast<int>(xml.size()) + 1)))); break;
      default:
        for (int i = 0, length = Pick(12); i < length; ++i) text.append(QChar(static_cast<char16_t>(1 + Pick(0x2FFF))));
        break;
    }
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(&Control, Qt::Key_V, Qt::ControlModifier);
  }

  void Insert() {
    std::unique_ptr<TdocShape> shape;
    switch (Pick(4)) {
      case 0: shape = std::make_unique<TdocRectangleShape>(); break;
      case 1: shape = std::make_unique<TdocLineShape>(); break;
      case 2: shape = std::make_unique<TdocFreehandShape>(); break;
      default: {
        auto text = std::make_unique<TdocTextShape>();
        text->SetText(Pick(2) ? u"new" : u"");
        shape = std::move(text);
        break;
      }
    }
    shape->SetDocBounds(0, 0, 20, 10);
    if (Pick(2))
      Control.Editor().InsertShapeByDrag(std::move(shape));
    else
      Control.Editor().InsertShapeByClick(std::move(shape));
  }

  doctest::TTestDocument& Control;
  std::mt19937 Random;
};

struct EditorMonkeyTest : ::testing::Test {
  EditorMonkeyTest() {
    document::StartUp();
    doctest::ShowAtScale(Control, 420, 320, 3.0f);
    AddEveryKind();
    Core().ClearUndo();
  }
  TdocDocumentCore& Core() { return Control.Core(); }

  template <class Shape>
  Shape& Add(float left, float top, float width, float height) {
    auto owned = std::make_unique<Shape>();
    Shape& shape = *owned;
    Core().AddShape(std::move(owned));
    shape.SetDocBounds(left, top, width, height);
    return shape;
  }

  void AddEveryKind() {
    Add<TdocRectangleShape>(10, 10, 30, 20);
    Add<TdocEllipseShape>(50, 10, 30, 20);
    Add<TdocLineShape>(90, 10, 30, 20);
    Add<TdocTextShape>(10, 40, 40, 10).SetText(u"Text");
    Add<TdocMemoShape>(60, 40, 40, 20).SetText(u"Memo\nlines");
    Add<TdocPolygonText>(10, 70, 40, 10).SetText(u"Poly");
    Add<TdocCurvedText>(60, 70, 40, 20).SetText(u"Curved");
    TBitmap32 picture;
    picture.SetSize(16, 12);
    picture.Clear(0xFF20A040u);
    Add<TdocBitmapShape>(10, 95, 20, 15).GetImage().SetBitmap(&picture);
    auto& freehand = Add<TdocFreehandShape>(50, 95, 30, 20);
    freehand.StartContour();
    for (const TFloatPoint p : {TFloatPoint{0, 0}, {10, 15}, {25, 5}, {30, 20}}) freehand.AddPoint(p);
  }

  // Every reference the editor keeps is nil or a shape of the page.
  void ExpectReferencesOnPage(int event) {
    const TdocPage* page = Core().GetCurrentPage();
    ASSERT_NE(page, nullptr);
    for (const TdocShape* shape : {Core().GetHitShape(), Core().GetEditShape(), Core().GetHintShape(),
                                   Core().GetFocusShape()})
      ASSERT_TRUE(!shape || IsOnPage(page, shape)) << "event " << event;
  }

  doctest::TTestDocument Control;
};

TEST_F(EditorMonkeyTest, RandomInputKeepsUndoAndShapesConsistent) {
  const std::multiset<std::string> initial = ClassNames(Core());
  ASSERT_EQ(initial.size(), 9u);
  const int events = EnvInt("LABEL_MONKEY_EVENTS", 400);
  const auto budget = std::chrono::seconds(EnvInt("LABEL_MONKEY_SECONDS", 3600));
  const auto start = std::chrono::steady_clock::now();
  TEditorMonkey monkey(Control, static_cast<unsigned>(EnvInt("LABEL_MONKEY_SEED", 20261207)));
  bool trimmed = false;
  int done = 0;
  // One event and the checks after it.
  const auto step = [&](const auto& event) {
    const int shapes = Core().ShapeCount();
    const int undo = Core().GetUndoCount(), redo = Core().GetRedoCount();
    try {
      event();
    } catch (const std::exception& e) {
      FAIL() << e.what() << ": event " << done << ", action " << monkey.LastAction << ", state "
             << int(Core().GetEditState());
    }
    ExpectReferencesOnPage(done);
    if (Core().GetEditState() != esInPlaceEdit) {
      ASSERT_EQ(Core().GetUpdateCount(), 0) << "event " << done;
    }
    trimmed = trimmed || Core().GetUndoMemory() > TdocDocumentCore::UndoMemoryCap / 2;
    if (Core().ShapeCount() != shapes) {
      ASSERT_TRUE(trimmed || Core().GetUndoCount() != undo || Core().GetRedoCount() != redo)
          << "unrecorded change, event " << done << ", action " << monkey.LastAction;
    }
  };
  for (; done < events && std::chrono::steady_clock::now() - start < budget && !HasFatalFailure(); ++done) {
    step([&] { monkey.Act(); });
    // Posted deletes and timers run between events, as the event loop runs them.
    if (!HasFatalFailure() && monkey.Settles()) step([] { QApplication::processEvents(); });
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("editor monkey: %d events in %.1f s%s\n", done, seconds, trimmed ? " (undo list trimmed)" : "");
  RecordProperty("events", done);

  // Back to the start: close what is open, run what was posted, undo all.
  Control.Editor().SetEditState(esIdle);
  Core().CancelEditing();
  QApplication::processEvents();
  for (int guard = Core().GetUndoCount(); Core().CanUndo() && guard >= 0; --guard) Core().Undo();
  EXPECT_EQ(Core().GetUpdateCount(), 0);
  if (!trimmed) {
    EXPECT_EQ(ClassNames(Core()), initial);
  }
}

}  // namespace
