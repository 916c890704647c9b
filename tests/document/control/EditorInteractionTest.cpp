// The editor's mouse and keyboard on the real control (offscreen): clicks,
// drags with their threshold, grid snapping and axis lock, Ctrl duplication,
// handle drags, rubber bands, insertion, in-place text editing, keys, the
// posted auto-delete, hints and the hot zone. Frames are worked out by hand
// at 4 pixels per millimetre with the page 10 pixels from the window's corner.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>

#include "EditorTestSupport.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/FreehandShape.h"
#include "document/core/StartUp.h"
#include "document/text/TextShape.h"
#include "platform/qt/CursorTable.h"
#include "platform/rtl/Strings.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

using doctest::DragMouse;
using doctest::MoveMouse;

constexpr float Scale = 4.0f;

struct EditorInteractionTest : ::testing::Test {
  EditorInteractionTest() {
    document::StartUp();
    doctest::ShowAtScale(Control, 500, 400, Scale);
    Shape = AddRectangle(20, 30, 40, 20);
  }
  TdocDocumentCore& Doc() { return Control.Core(); }
  QPoint At(float x, float y) { return doctest::PagePixel(Doc(), x, y); }
  TdocShape* AddRectangle(float left, float top, float width, float height) {
    auto shape = std::make_unique<TdocRectangleShape>();
    shape->SetDocBounds(left, top, width, height);
    return Doc().GetShapes(Doc().AddShape(std::move(shape)));
  }
  void Click(const QPoint& at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(Control.viewport(), Qt::LeftButton, modifiers, at);
  }
  // A text "old" on the label, double-clicked in its middle as a person
  // opens it for editing in place.
  TdocTextShape* DoubleClickNewText() {
    auto text = std::make_unique<TdocTextShape>();
    text->SetDocBounds(80, 80, 60, 15);
    text->SetText(u"old");
    TdocTextShape* shape = text.get();
    Doc().AddShape(std::move(text));
    const TFloatPoint centre = shape->ShapeToScreen({shape->GetDocWidth() / 2, shape->GetDocHeight() / 2});
    QTest::mouseDClick(Control.viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(std::lround(centre.X), std::lround(centre.Y)));
    return shape;
  }
  TFloatRect Frame(const TdocShape* shape) const {
    return {shape->GetDocLeft(), shape->GetDocTop(), shape->GetDocWidth(), shape->GetDocHeight()};
  }

  doctest::TTestDocument Control;
  TdocShape* Shape = nullptr;
};

void ExpectFrame(const TFloatRect& frame, float left, float top, float width, float height) {
  EXPECT_FLOAT_EQ(frame.Left, left);
  EXPECT_FLOAT_EQ(frame.Top, top);
  EXPECT_FLOAT_EQ(frame.Right, width);
  EXPECT_FLOAT_EQ(frame.Bottom, height);
}

// A drag moves shapes only beyond 10 square pixels (about 3.2 pixels).
TEST_F(EditorInteractionTest, DragThreshold) {
  struct Case {
    int Dx, Dy;
    float Left, Top;
  };
  const Case cases[] = {{0, 0, 20, 30}, {3, 0, 20, 30}, {3, 1, 20, 30}, {4, 0, 21, 30}, {3, 2, 20.75f, 30.5f},
                        {0, -4, 20, 29}};
  for (const Case& c : cases) {
    Shape->SetDocPos(20, 30);
    const QPoint from = At(30, 35);
    DragMouse(Control, from, from + QPoint(c.Dx, c.Dy));
    SCOPED_TRACE(testing::Message() << c.Dx << "," << c.Dy);
    ExpectFrame(Frame(Shape), c.Left, c.Top, 40, 20);
    EXPECT_TRUE(Shape->GetSelected());
    EXPECT_EQ(Doc().GetEditState(), esIdle);
  }
}

// With the grid on, start and pointer snap to 5 mm; Alt turns snapping off
// for one gesture, and turns it on when the grid is off.
TEST_F(EditorInteractionTest, GridSnappingAndAlt) {
  struct Case {
    bool Grid;
    Qt::KeyboardModifiers Keys;
    float Left;
  };
  const Case cases[] = {{true, Qt::NoModifier, 30}, {true, Qt::AltModifier, 27.25f},
                        {false, Qt::NoModifier, 27.25f}, {false, Qt::AltModifier, 30}};
  for (const Case& c : cases) {
    Doc().Options.SnapToGrid = c.Grid;
    Shape->SetDocPos(20, 30);
    DragMouse(Control, At(31, 41), At(38.25f, 41), c.Keys);
    ExpectFrame(Frame(Shape), c.Left, 30, 40, 20);
  }
}

TEST_F(EditorInteractionTest, ShiftLocksTheMoveToTheLongerAxis) {
  const QPoint from = At(30, 35);
  QTest::mousePress(Control.viewport(), Qt::LeftButton, Qt::NoModifier, from);
  MoveMouse(Control, At(33, 36), Qt::LeftButton, Qt::ShiftModifier);
  MoveMouse(Control, At(35, 37), Qt::LeftButton, Qt::ShiftModifier);
  QTest::mouseRelease(Control.viewport(), Qt::LeftButton, Qt::ShiftModifier, At(35, 37));
  ExpectFrame(Frame(Shape), 25, 30, 40, 20);
}

TEST_F(EditorInteractionTest, CtrlDragLeavesTheShapeAndSelectsACopyAtTheOffset) {
  const int undo = Doc().GetUndoCount();
  DragMouse(Control, At(30, 35), At(40, 40), Qt::ControlModifier);
  ASSERT_EQ(Doc().ShapeCount(), 2);
  ExpectFrame(Frame(Doc().GetShapes(0)), 20, 30, 40, 20);
  ExpectFrame(Frame(Doc().GetShapes(1)), 30, 35, 40, 20);
  EXPECT_FALSE(Doc().GetShapes(0)->GetSelected());
  EXPECT_TRUE(Doc().GetShapes(1)->GetSelected());
  Doc().Undo();
  EXPECT_EQ(Doc().ShapeCount(), 1);
  EXPECT_EQ(Doc().GetUndoCount(), undo);
}

TEST_F(EditorInteractionTest, HandleDragsResizeFromTheirCorner) {
  Click(At(30, 35));
  struct Case {
    float X, Y;  // the handle on the page
    std::uint8_t Kind;
    float Left, Top, Width, Height;
  };
  const Case cases[] = {{60, 50, hkBottomRight, 20, 30, 50, 25}, {20, 30, hkTopLeft, 30, 35, 30, 15},
                        {60, 40, hkRight, 20, 30, 50, 20}};
  for (const Case& c : cases) {
    Shape->SetDocBounds(20, 30, 40, 20);
    QTest::mousePress(Control.viewport(), Qt::LeftButton, Qt::NoModifier, At(c.X, c.Y));
    EXPECT_EQ(Doc().GetHitKind(), c.Kind);
    MoveMouse(Control, At(c.X + 5, c.Y + 2), Qt::LeftButton);
    MoveMouse(Control, At(c.X + 10, c.Y + 5), Qt::LeftButton);
    QTest::mouseRelease(Control.viewport(), Qt::LeftButton, Qt::NoModifier, At(c.X + 10, c.Y + 5));
    ExpectFrame(Frame(Shape), c.Left, c.Top, c.Width, c.Height);
  }
}

TEST_F(EditorInteractionTest, ABodyDragThatLeavesTheWindowDropsTheMoveAndStartsDragAndDrop) {
  const QPoint from = At(30, 35);
  QTest::mousePress(Control.viewport(), Qt::LeftButton, Qt::NoModifier, from);
  MoveMouse(Control, from + QPoint(10, 0), Qt::LeftButton);
  EXPECT_EQ(Doc().GetEditState(), esDragging);
  MoveMouse(Control, QPoint(-3, from.y()), Qt::LeftButton);
  EXPECT_EQ(Control.DragAndDrops, 1);
  EXPECT_EQ(Doc().GetEditState(), esIdle);
  QTest::mouseRelease(Control.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(-3, from.y()));
  ExpectFrame(Frame(Shape), 20, 30, 40, 20);
}

TEST_F(EditorInteractionTest, AShapeThatMayNotMoveStopsTheWholeSelection) {
  Shape->AllowMove = false;
  DragMouse(Control, At(30, 35), At(40, 40));
  ExpectFrame(Frame(Shape), 20, 30, 40, 20);
  EXPECT_EQ(Doc().GetEditState(), esIdle);
}

TEST_F(EditorInteractionTest, RubberBandSelectsWhatItMeets) {
  TdocShape* other = AddRectangle(100, 100, 20, 20);
  DragMouse(Control, At(10, 20), At(70, 60));
  EXPECT_TRUE(Shape->GetSelected());
  EXPECT_FALSE(other->GetSelected());
  EXPECT_EQ(Doc().GetFocusShape(), Shape);
  DragMouse(Control, At(10, 20), At(125, 125));
  EXPECT_EQ(Doc().SelectionCount(), 2);
  DragMouse(Control, At(10, 20), At(10, 125));  // no width
  EXPECT_EQ(Doc().SelectionCount(), 0);
  Click(At(30, 35));
  Click(At(110, 110), Qt::ShiftModifier);
  EXPECT_EQ(Doc().SelectionCount(), 2);
  Click(At(5, 5));
  EXPECT_EQ(Doc().SelectionCount(), 0);
  // With msmCtrl only a Ctrl-drag draws the band.
  Doc().Options.MultiSelectMethod = msmCtrl;
  DragMouse(Control, At(10, 20), At(70, 60));
  EXPECT_EQ(Doc().SelectionCount(), 0);
  DragMouse(Control, At(10, 20), At(70, 60), Qt::ControlModifier);
  EXPECT_TRUE(Shape->GetSelected());
}

// Insertion of a 30 x 15 mm rectangle by click and by drag.
TEST_F(EditorInteractionTest, InsertionFrames) {
  struct Case {
    bool ByDrag;
    float FromX, FromY, ToX, ToY;
    float Left, Top, Width, Height;
  };
  const Case cases[] = {{true, 80, 80, 120, 100, 80, 80, 40, 20},
                        {true, 120, 100, 80, 80, 80, 80, 40, 20},
                        {false, 80, 80, 80, 80, 80, 80, 30, 15}};
  for (const Case& c : cases) {
    auto waiting = std::make_unique<TdocRectangleShape>();
    waiting->SetDocBounds(0, 0, 30, 15);
    Control.Editor().StartShapeInsert(std::move(waiting), c.ByDrag);
    EXPECT_EQ(Doc().GetEditState(), esInsertPending);
    if (c.ByDrag)
      DragMouse(Control, At(c.FromX, c.FromY), At(c.ToX, c.ToY));
    else
      Click(At(c.FromX, c.FromY));
    EXPECT_EQ(Doc().GetEditState(), esIdle);
    TdocShape* added = Doc().GetShapes(Doc().ShapeCount() - 1);
    ExpectFrame(Frame(added), c.Left, c.Top, c.Width, c.Height);
    EXPECT_TRUE(added->GetSelected());
    EXPECT_EQ(Doc().GetInsertShape(), nullptr);
  }
}

TEST_F(EditorInteractionTest, AClickWithoutDragKeepsTheInsertFrameUntilTheNextRelease) {
  Control.Editor().InsertShapeByDrag(std::make_unique<TdocRectangleShape>());
  Click(At(80, 80));
  EXPECT_EQ(Doc().GetEditState(), esInsertDragging);
  EXPECT_EQ(Doc().ShapeCount(), 1);
  MoveMouse(Control, At(100, 90), Qt::NoButton);
  EXPECT_EQ(Doc().GetFeedback().Kind, fkInsertFrame);
  doctest::ReleaseMouse(Control, At(100, 90));
  ASSERT_EQ(Doc().ShapeCount(), 2);
  ExpectFrame(Frame(Doc().GetShapes(1)), 80, 80, 20, 10);
}

TEST_F(EditorInteractionTest, EscapeDuringTheFrameDragCancelsAndFreesTheShape) {
  std::vector<TdocShape*> closed, destroyed;
  Doc().OnShapeInsertClosed = [&](TPersistent*, TdocShape* s) { closed.push_back(s); };
  Doc().OnShapeDestroy = [&](TPersistent*, TdocShape* s) { destroyed.push_back(s); };
  auto owned = std::make_unique<TdocRectangleShape>();
  TdocShape* waiting = owned.get();
  Control.Editor().InsertShapeByDrag(std::move(owned));
  QTest::mousePress(Control.viewport(), Qt::LeftButton, Qt::NoModifier, At(80, 80));
  MoveMouse(Control, At(90, 90), Qt::LeftButton);
  QTest::keyClick(&Control, Qt::Key_Escape);
  EXPECT_EQ(Doc().GetEditState(), esIdle);
  EXPECT_EQ(closed, std::vector<TdocShape*>{nullptr});
  EXPECT_EQ(destroyed, std::vector<TdocShape*>{waiting});
  QTest::mouseRelease(Control.viewport(), Qt::LeftButton, Qt::NoModifier, At(90, 90));
  EXPECT_EQ(Doc().ShapeCount(), 1);
}

TEST_F(EditorInteractionTest, DoubleClickEditsATextInPlaceAndKeysGoToIt) {
  TdocTextShape* shape = DoubleClickNewText();
  ASSERT_EQ(Doc().GetEditState(), esInPlaceEdit);
  EXPECT_EQ(Doc().GetEditShape(), shape);
  QTest::keyClicks(&Control, "AB");
  QTest::keyClick(&Control, Qt::Key_Delete);  // goes to the text, not to the selection
  EXPECT_EQ(Doc().ShapeCount(), 2);
  QTest::keyClick(&Control, Qt::Key_Return);
  EXPECT_EQ(Doc().GetEditState(), esIdle);
  EXPECT_EQ(shape->GetText(), u"AB");
  EXPECT_EQ(Doc().GetUpdateCount(), 0);
}

// Each shape may bring a menu of its own: the focus shape's outside in-place
// editing, the edited shape's while it is edited; the control's and the
// clipboard menu stand in for shapes without one.
TEST_F(EditorInteractionTest, TheRightClickMenuIsTheShapesOwn) {
  QMenu own, rectangleMenu, textMenu;
  Control.SetShapePopupMenu(*Shape, &rectangleMenu);
  EXPECT_EQ(Control.ShapePopupMenu(&own), &own);  // nothing focused yet
  Click(At(30, 35));
  ASSERT_EQ(Doc().GetFocusShape(), Shape);
  EXPECT_EQ(Control.ShapePopupMenu(&own), &rectangleMenu);
  auto text = std::make_unique<TdocTextShape>();
  text->SetDocBounds(80, 80, 60, 15);
  text->SetText(u"abc");
  TdocTextShape* edited = text.get();
  Doc().AddShape(std::move(text));
  Doc().StartShapeEdit(edited);
  QMenu* clipboard = Control.ShapePopupMenu(&own);
  EXPECT_NE(clipboard, &own);
  EXPECT_NE(clipboard, &rectangleMenu);
  Control.SetShapePopupMenu(*edited, &textMenu);
  EXPECT_EQ(Control.ShapePopupMenu(&own), &textMenu);
  Doc().CloseShapeEdit(true);
  Control.SetShapePopupMenu(*Shape, nullptr);
  Click(At(30, 35));
  EXPECT_EQ(Control.ShapePopupMenu(&own), &own);
}

// A shape taken off its page and put back gets a new id; its menu goes
// with it. A menu deleted by its owner is no longer offered.
TEST_F(EditorInteractionTest, AShapesMenuStaysWithItWhenItIsAttachedAgain) {
  QMenu own;
  auto rectangleMenu = std::make_unique<QMenu>();
  Control.SetShapePopupMenu(*Shape, rectangleMenu.get());
  const std::int32_t oldId = Shape->GetShapeId();
  std::unique_ptr<TdocShape> taken = Doc().GetCurrentPage()->ExtractShape(Shape);
  ASSERT_NE(taken, nullptr);
  Doc().AddShape(std::move(taken));
  ASSERT_NE(Shape->GetShapeId(), oldId);
  Click(At(30, 35));
  ASSERT_EQ(Doc().GetFocusShape(), Shape);
  EXPECT_EQ(Control.ShapePopupMenu(&own), rectangleMenu.get());
  // Another shape attached meanwhile has no menu of its own.
  TdocShape* other = AddRectangle(100, 30, 20, 20);
  Click(At(110, 40));
  ASSERT_EQ(Doc().GetFocusShape(), other);
  EXPECT_EQ(Control.ShapePopupMenu(&own), &own);
  Click(At(30, 35));
  rectangleMenu.reset();
  EXPECT_EQ(Control.ShapePopupMenu(&own), &own);
}

// The hot zone's timer exists exactly while HotzoneScrolling asks for it,
// whether the setting is changed or read from a document.
TEST_F(EditorInteractionTest, TheHotzoneTimerFollowsTheSetting) {
  Doc().SetHotzoneScrolling(hzsNoScroll);
  EXPECT_FALSE(Control.Editor().GetHotzoneTimerRunning());
  Doc().SetHotzoneScrolling(hzsAlways);
  EXPECT_TRUE(Control.Editor().GetHotzoneTimerRunning());
  EXPECT_FALSE(Control.Editor().GetHotzoneActive());
  Doc().SetHotzoneScrolling(hzsNoScroll);
  EXPECT_FALSE(Control.Editor().GetHotzoneTimerRunning());
  TXmlDocument settings("Document");
  settings.GetRoot()->WriteChildInteger("HotzoneScrolling", hzsWhenMouseDown, 0);
  Doc().ReadSettingsFromXml(*settings.GetRoot());
  EXPECT_TRUE(Control.Editor().GetHotzoneTimerRunning());
}

TEST_F(EditorInteractionTest, TheClipboardMenuServesTheTextEditedInPlace) {
  QMenu own;
  EXPECT_EQ(Control.ShapePopupMenu(&own), &own);
  auto text = std::make_unique<TdocTextShape>();
  text->SetText(u"old");
  TdocTextShape* shape = text.get();
  Doc().AddShape(std::move(text));
  Doc().StartShapeEdit(shape);  // the whole text selected
  QMenu* menu = Control.ShapePopupMenu(&own);
  ASSERT_NE(menu, &own);
  ASSERT_EQ(menu->actions().size(), 3);
  EXPECT_EQ(menu->actions()[0]->text(), "Cut");
  menu->actions()[0]->trigger();
  EXPECT_EQ(shape->GetText(), u"");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "old");
  menu->actions()[2]->trigger();
  menu->actions()[2]->trigger();
  EXPECT_EQ(shape->GetText(), u"oldold");
  EXPECT_EQ(Control.CreateClipboardMenu(), menu);  // one menu, made once
  EXPECT_EQ(menu->actions()[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
  // Outside an edit in place the menu's items do nothing.
  Doc().CloseShapeEdit(true);
  QGuiApplication::clipboard()->setText("elsewhere");
  for (QAction* item : menu->actions()) Control.ClipboardMenuClick(*item);
  EXPECT_EQ(shape->GetText(), u"oldold");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "elsewhere");
  EXPECT_EQ(Doc().ShapeCount(), 2);
}

// The probes around the mouse point by the ring rule, read one by one; a
// probe out of range reads (0, 0).
TEST_F(EditorInteractionTest, HitProbesReadOneByOne) {
  Doc().SetHitSensitivity(1.0f);
  ASSERT_EQ(Control.HitProbeCount(), 21);
  EXPECT_EQ(Control.GetHitProbe(1), (TPoint{4, 0}));
  EXPECT_EQ(Control.GetHitProbe(4), (TPoint{0, -4}));
  EXPECT_EQ(Control.GetHitProbe(17), (TPoint{3, 3}));
  EXPECT_EQ(Control.GetHitProbe(20), (TPoint{-3, -3}));
  EXPECT_EQ(Control.GetHitProbe(21), (TPoint{0, 0}));
  EXPECT_EQ(Control.GetHitProbe(-1), (TPoint{0, 0}));
  Doc().SetHitSensitivity(0.25f);
  EXPECT_EQ(Control.HitProbeCount(), 13);
  EXPECT_EQ(Control.GetHitProbe(12), (TPoint{-1, -1}));
  EXPECT_EQ(Control.GetHitProbe(13), (TPoint{0, 0}));
}

TEST_F(EditorInteractionTest, KeysDeleteAndTheClipboardCharacters) {
  Click(At(30, 35));
  QTest::keyClick(&Control, Qt::Key_C, Qt::ControlModifier);
  QTest::keyClick(&Control, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(Doc().ShapeCount(), 2);
  QTest::keyClick(&Control, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(Doc().ShapeCount(), 1);
  Click(At(30, 35));
  QTest::keyClick(&Control, Qt::Key_Delete);
  EXPECT_EQ(Doc().ShapeCount(), 0);
  Doc().Undo();
  EXPECT_EQ(Doc().ShapeCount(), 1);
  // Read-only: nothing is hit, and neither Ctrl+V nor Delete changes anything.
  Doc().SetReadOnly(true);
  Click(At(30, 35));
  EXPECT_EQ(Doc().SelectionCount(), 0);
  Shape = Doc().GetShapes(0);
  Shape->SetSelected(true);
  QTest::keyClick(&Control, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(&Control, Qt::Key_Delete);
  EXPECT_EQ(Doc().ShapeCount(), 1);
}

// An emptied text that loses the selection goes once the event is over, as
// one undo step; an id whose shape went meanwhile deletes nothing.
TEST_F(EditorInteractionTest, PostedAutoDeleteRemovesTheEmptyTextLater) {
  auto text = std::make_unique<TdocTextShape>();
  text->SetDocBounds(80, 80, 60, 15);
  TdocShape* empty = text.get();
  Doc().AddShape(std::move(text));
  empty->SetSelected(true);
  const int undo = Doc().GetUndoCount();
  Click(At(5, 5));
  EXPECT_EQ(Doc().ShapeCount(), 2);  // not inside the click
  QApplication::processEvents();
  EXPECT_EQ(Doc().ShapeCount(), 1);
  EXPECT_EQ(Doc().GetUndoCount(), undo + 1);
  Doc().Undo();
  EXPECT_EQ(Doc().ShapeCount(), 2);

  Doc().PostAutoDelete(Doc().GetShapes(1)->GetShapeId());
  Doc().DeleteShape(1);
  QApplication::processEvents();
  EXPECT_EQ(Doc().ShapeCount(), 1);
}

// A request that arrives while the document is busy (a load or a print)
// waits and is carried out once the document is idle again.
TEST_F(EditorInteractionTest, AutoDeletePostedWhileBusyRunsWhenIdle) {
  auto text = std::make_unique<TdocTextShape>();
  text->SetDocBounds(80, 80, 60, 15);
  TdocShape* empty = text.get();
  Doc().AddShape(std::move(text));
  empty->SetSelected(true);
  {
    auto busy = Doc().BusyBracket(crHourGlass);
    Click(At(5, 5));
    QApplication::processEvents();
    EXPECT_EQ(Doc().ShapeCount(), 2);
  }
  EXPECT_EQ(Doc().ShapeCount(), 2);  // posted again, not run inside EndBusy
  QApplication::processEvents();
  EXPECT_EQ(Doc().ShapeCount(), 1);
  EXPECT_FALSE(Doc().HasPostedAutoDeletes());
}

TEST_F(EditorInteractionTest, AFreehandShapeIsDrawnRightAfterItsInsertion) {
  for (const bool draw : {true, false}) {
    const int count = Doc().ShapeCount();
    Control.Editor().InsertShapeByDrag(std::make_unique<TdocFreehandShape>());
    DragMouse(Control, At(80, 80), At(120, 120));
    ASSERT_EQ(Doc().GetEditState(), esInPlaceEdit);
    if (draw) DragMouse(Control, At(90, 90), At(110, 100));
    QTest::keyClick(&Control, draw ? Qt::Key_Return : Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(Doc().GetEditState(), esIdle);
    EXPECT_EQ(Doc().ShapeCount(), draw ? count + 1 : count);
    EXPECT_EQ(Doc().GetUpdateCount(), 0);
  }
}

// Inserting a freehand shape and drawing it is one undo step; a drawing given
// up with Esc leaves nothing, not even an empty shape for Undo to bring back.
TEST_F(EditorInteractionTest, OneUndoTakesAFreehandInsertBack) {
  const auto insertAndDraw = [this](bool draw) {
    Control.Editor().InsertShapeByDrag(std::make_unique<TdocFreehandShape>());
    DragMouse(Control, At(80, 80), At(120, 120));
    if (draw) {
      DragMouse(Control, At(90, 90), At(110, 100));
      // The middle button draws too; only the right one ends the edit.
      QTest::mousePress(Control.viewport(), Qt::MiddleButton, Qt::NoModifier, At(90, 110));
      MoveMouse(Control, At(100, 111), Qt::MiddleButton);
      MoveMouse(Control, At(115, 112), Qt::MiddleButton);
      QTest::mouseRelease(Control.viewport(), Qt::MiddleButton, Qt::NoModifier, At(115, 112));
      ASSERT_EQ(Doc().GetEditState(), esInPlaceEdit);
      QTest::mouseClick(Control.viewport(), Qt::RightButton, Qt::NoModifier, At(100, 100));
    } else {
      QTest::keyClick(&Control, Qt::Key_Escape);
    }
    QApplication::processEvents();
    ASSERT_EQ(Doc().GetEditState(), esIdle);
  };
  Shape->SetDocLeft(25);  // the step before
  insertAndDraw(true);
  ASSERT_EQ(Doc().ShapeCount(), 2);
  auto* drawn = static_cast<TdocFreehandShape*>(Doc().GetShapes(1));
  EXPECT_EQ(drawn->GetPoints().size(), 2u);
  Doc().Undo();
  EXPECT_EQ(Doc().ShapeCount(), 1);
  EXPECT_FLOAT_EQ(Shape->GetDocLeft(), 25);

  insertAndDraw(false);
  EXPECT_EQ(Doc().ShapeCount(), 1);
  Doc().Undo();
  EXPECT_EQ(Doc().ShapeCount(), 1);
  EXPECT_FLOAT_EQ(Shape->GetDocLeft(), 25);
  Doc().Undo();  // the step before the insert
  EXPECT_FLOAT_EQ(Shape->GetDocLeft(), 20);
}

// Showing another page ends the edit in place on the page left behind: a
// freehand shape not yet drawn goes from that page, and no key pressed later
// reaches a shape that is no longer shown.
TEST_F(EditorInteractionTest, ShowingAnotherPageClosesTheEditInPlace) {
  Doc().AddPage(nullptr);
  Control.Editor().InsertShapeByDrag(std::make_unique<TdocFreehandShape>());
  DragMouse(Control, At(80, 80), At(120, 120));
  ASSERT_EQ(Doc().GetEditState(), esInPlaceEdit);
  Doc().SetCurrentPageIndex(1);
  EXPECT_EQ(Doc().GetEditState(), esIdle);
  EXPECT_EQ(Doc().GetEditShape(), nullptr);
  QTest::keyClick(&Control, Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_EQ(Doc().GetPages(0)->GetShapeCount(), 1) << "an empty freehand shape stayed behind";
  EXPECT_EQ(Doc().GetPages(1)->GetShapeCount(), 0);
  EXPECT_EQ(Doc().GetUpdateCount(), 0);

  // A text keeps what was typed into it before the page changed.
  Doc().SetCurrentPageIndex(0);
  TdocTextShape* shape = DoubleClickNewText();
  ASSERT_EQ(Doc().GetEditShape(), shape);
  QTest::keyClicks(&Control, "new");
  Doc().SetCurrentPageIndex(1);
  EXPECT_EQ(Doc().GetEditState(), esIdle);
  QTest::keyClicks(&Control, "X");
  EXPECT_EQ(shape->GetText(), u"new");
  EXPECT_EQ(Doc().GetUpdateCount(), 0);
}

TEST_F(EditorInteractionTest, HoverCursorsFollowTheShapesAngle) {
  Click(At(30, 35));
  Shape->SetDocAngle(90);
  const TFloatPoint top = Shape->ShapeToScreen({20, 0});
  MoveMouse(Control, QPoint(std::lround(top.X), std::lround(top.Y)), Qt::NoButton);
  EXPECT_EQ(Control.viewport()->cursor().shape(), Qt::SizeHorCursor);
  const TFloatPoint centre = Shape->ShapeToScreen({20, 10});
  MoveMouse(Control, QPoint(std::lround(centre.X), std::lround(centre.Y)), Qt::NoButton);
  EXPECT_EQ(Control.viewport()->cursor().shape(), CursorFromId(crHandPoint).shape());
}

TEST_F(EditorInteractionTest, CursorForHandleTurnsEveryFortyFiveDegrees) {
  struct Case {
    std::uint8_t Kind;
    float Angle;
    TCursor Cursor;
  };
  const Case cases[] = {{hkTop, 0, crSizeNS},       {hkTop, 90, crSizeWE},      {hkTopLeft, 0, crSizeNWSE},
                        {hkTopLeft, 45, crSizeWE},  {hkTopRight, 0, crSizeNESW}, {hkRight, 0, crSizeWE},
                        {hkBottom, 180, crSizeNS},  {hkLeft, 22, crSizeWE},     {hkLeft, 23, crSizeNESW},
                        {hkBody, 0, crDefault},     {hkRotate, 90, crDefault}};
  for (const Case& c : cases)
    EXPECT_EQ(TdocEditor::CursorForHandle(c.Kind, c.Angle, crDefault), c.Cursor) << int(c.Kind) << " " << c.Angle;
}

TEST_F(EditorInteractionTest, HintShowsAfterThePauseAndGoesOffTheShape) {
  Shape->SetShowHint(true);
  Shape->Hint = "Frame";
  Doc().Options.HintPause = 10;
  MoveMouse(Control, At(30, 35), Qt::NoButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Control.GetHintWindow() != nullptr; }));
  EXPECT_EQ(Control.GetHintWindow()->text(), QString("Frame"));
  MoveMouse(Control, At(5, 5), Qt::NoButton);
  EXPECT_EQ(Control.GetHintWindow(), nullptr);
}

// Steps of 50 ms with the pointer resting 5 pixels from the left border of
// a 500-pixel-wide client: f = 5 / 35 - 1, the accumulated time grows from
// 10 ms by 50 ms a step, and each step scrolls round(50 x min(t / 700, f^2) x 2).
TEST_F(EditorInteractionTest, HotzoneScrollsFasterTheLongerThePointerRests) {
  Doc().Options.HotzoneScrolling = hzsAlways;
  Control.ScrollBy(200, 0);
  const int width = Control.viewport()->width();
  const int y = Control.viewport()->height() / 2;
  Control.Mouse = {5, y};
  MoveMouse(Control, QPoint(5, y), Qt::NoButton);  // passing by: too fast
  EXPECT_FALSE(Control.Editor().GetHotzoneActive());
  std::vector<int> steps;
  for (int i = 0; i < 3; ++i) {
    Control.Tick += 50;
    Control.Editor().HotzoneStep();
    ASSERT_EQ(Control.Scrolls.size(), std::size_t(i + 1));
    steps.push_back(Control.Scrolls.back().X);
    EXPECT_EQ(Control.Scrolls.back().Y, 0);
  }
  const float f = 5.0f / (0.07f * width) - 1.0f;
  std::vector<int> expected;
  for (const float t : {10.0f, 60.0f, 110.0f})
    expected.push_back(-static_cast<int>(std::nearbyint(50.0f * std::min(t / 700.0f, f * f) * 2.0f)));
  EXPECT_EQ(steps, expected);
  EXPECT_EQ(expected, (std::vector<int>{-1, -9, -16}));
  // Out of the border the zone rests.
  Control.Mouse = {width / 2, y};
  Control.Tick += 50;
  Control.Editor().HotzoneStep();
  EXPECT_FALSE(Control.Editor().GetHotzoneActive());
}

}  // namespace
