// Every insert tool of the label tab as a person uses it, in French and in
// English: the tool button (and for texts the menu item) is clicked, the
// pointer shows the tool's cursor over the label, then a click or a drag on
// the label places a shape of the tool's class: texts keep their own size
// where the button went down, the other shapes take the dragged frame.
// The label saved with the save button, emptied with the new button and
// opened again with the open button holds every shape where it was put.

#include <filesystem>
#include <functional>
#include <typeinfo>
#include <vector>

#include <QImage>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "app/UiTexts.h"
#include "app/shapes/BarcodeShape.h"
#include "document/editor/HandlePainter.h"
#include "document/page/Page.h"
#include "document/shapes/BitmapShape.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/LineShape.h"
#include "document/text/PolygonText.h"
#include "document/text/TextShape.h"
#include "document/text/TransformText.h"
#include "platform/qt/CursorTable.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/platform/qt/ModalAnswer.h"
#include "tests/document/control/EditorTestSupport.h"

namespace guitest {
namespace {

using app::TForm1;

enum class TTool { Text, CurvedText, Memo, Line, Frame, Picture, Barcode };

struct TToolCase {
  TTool Tool;
  const char* Name;
  const std::type_info& Class;
  // Lines, frames, pictures and barcodes take the dragged frame; texts keep
  // their size and go where the button went down.
  bool SizedByDrag;
};

const TToolCase Tools[] = {
    {TTool::Text, "text", typeid(TdocTextShape), false},
    {TTool::CurvedText, "curved text", typeid(TdocCurvedText), false},
    {TTool::Memo, "multi-line text", typeid(TdocPolygonMemo), false},
    {TTool::Line, "line", typeid(TdocLineShape), true},
    {TTool::Frame, "frame", typeid(TdocRectangleShape), true},
    {TTool::Picture, "picture", typeid(TdocBitmapShape), true},
    {TTool::Barcode, "barcode", typeid(TdocBarCodeShape), true},
};

// Frames dragged in the tests are twice as wide as high, as the picture
// (which keeps its proportions) is.
struct TFrame {
  float Left, Top, Width, Height;
};

TFrame FrameOf(const TdocShape& shape) {
  return {shape.GetDocLeft(), shape.GetDocTop(), shape.GetDocWidth(), shape.GetDocHeight()};
}

// Two cursors look the same: the same kind, and for drawn cursors the same image.
bool SameCursor(const QCursor& a, const QCursor& b) {
  if (a.shape() != b.shape()) return false;
  return a.shape() != Qt::BitmapCursor || a.pixmap().toImage() == b.pixmap().toImage();
}

struct InsertByMouseTest : MainWindowTest, ::testing::WithParamInterface<int> {
  TForm1& Start() {
    return ShowActiveIn(GetParam());
  }
  TdocDocument& Label() { return *Form->Fdocument; }
  QPoint At(float x, float y) { return doctest::PagePixel(Core(), x, y); }
  float Pixel() { return 1.0f / Core().GetScreenScale(); }

  static void WriteBytes(const std::string& file, const std::string& bytes) { apptest::WriteBytes(file, bytes); }

  std::string PictureFile() {
    const std::string file = Folder.File("photo.bmp");
    if (!std::filesystem::exists(file)) {
      QImage image(120, 60, QImage::Format_RGB32);
      image.fill(Qt::darkCyan);
      EXPECT_TRUE(image.save(QString::fromStdString(file), "BMP"));
    }
    return file;
  }

  // The text button's menu item, picked with the mouse.
  void PickTextItem(QAction* item) {
    QTest::mouseClick(Form->spTexte, Qt::LeftButton);
    QMenu* menu = Form->popupmenutypetexte;
    ASSERT_TRUE(menu->isVisible());
    const QPoint centre = menu->actionGeometry(item).center();
    QTest::mouseMove(menu, centre);
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_FALSE(menu->isVisible());
  }

  // Clicks the tool; the shape then waits for the label.
  void Choose(TTool tool) {
    switch (tool) {
      case TTool::Text: return PickTextItem(Form->mmenutextenormal);
      case TTool::CurvedText: return PickTextItem(Form->mmenutextecourbe);
      case TTool::Memo: return PickTextItem(Form->mmenuMultiligne1);
      case TTool::Line: return QTest::mouseClick(Form->SpLigne, Qt::LeftButton);
      case TTool::Frame: return QTest::mouseClick(Form->SpCadre, Qt::LeftButton);
      case TTool::Picture:
        qttest::AnswerNextFileDialog(PictureFile());
        return QTest::mouseClick(Form->SpImage, Qt::LeftButton);
      case TTool::Barcode: return QTest::mouseClick(Form->spcodebarre, Qt::LeftButton);
    }
  }

  // Chooses the tool and checks the label waits for it, showing its cursor.
  void ChooseAndHover(const TToolCase& tool, const QPoint& hover) {
    Choose(tool.Tool);
    const TdocShape* waiting = Core().GetInsertShape();
    ASSERT_NE(waiting, nullptr);
    EXPECT_EQ(typeid(*waiting), tool.Class);
    EXPECT_EQ(Core().GetEditState(), esInsertPending);
    doctest::MoveMouse(Label(), hover, Qt::NoButton);
    const QCursor shown = Label().viewport()->cursor();
    EXPECT_TRUE(SameCursor(shown, CursorFromId(waiting->Cursor)));
    EXPECT_NE(shown.shape(), Qt::ArrowCursor);
  }

  // The shape the last insert added on top, of the tool's class and focused.
  const TdocShape* Placed(const TToolCase& tool, int countBefore) {
    EXPECT_EQ(Core().GetEditState(), esIdle);
    EXPECT_EQ(Core().ShapeCount(), countBefore + 1);
    if (Core().ShapeCount() != countBefore + 1) return nullptr;
    const TdocShape* shape = Core().GetShapes(countBefore);
    EXPECT_EQ(typeid(*shape), tool.Class);
    EXPECT_EQ(Core().GetFocusShape(), shape);
    return shape;
  }

  void ExpectFrame(const TdocShape* shape, const TFrame& expected, float tolerance) {
    ASSERT_NE(shape, nullptr);
    const TFrame got = FrameOf(*shape);
    EXPECT_NEAR(got.Left, expected.Left, tolerance);
    EXPECT_NEAR(got.Top, expected.Top, tolerance);
    EXPECT_NEAR(got.Width, expected.Width, 2 * tolerance);
    EXPECT_NEAR(got.Height, expected.Height, 2 * tolerance);
  }

  // Where the tool's shape went: the dragged frame, or for a text its own
  // size (measured once it is on the label) at the corner of the press.
  void ExpectPlaced(const TToolCase& tool, const TdocShape* shape, const TFrame& dragged) {
    ASSERT_NE(shape, nullptr);
    if (tool.SizedByDrag) return ExpectFrame(shape, dragged, Pixel());
    EXPECT_NEAR(shape->GetDocLeft(), dragged.Left, Pixel());
    EXPECT_NEAR(shape->GetDocTop(), dragged.Top, Pixel());
    EXPECT_GT(shape->GetDocWidth(), 5.0f);
    EXPECT_LT(shape->GetDocWidth(), 40.0f);
    EXPECT_GT(shape->GetDocHeight(), 2.0f);
    EXPECT_LT(shape->GetDocHeight(), 20.0f);
  }

  // Each tool in turn: chosen and waiting, then placed by the gesture on a
  // row of its own (top in mm) on a label holding count shapes.
  void ForEachTool(const std::function<void(const TToolCase&, float top, int count)>& gesture) {
    for (std::size_t i = 0; i < std::size(Tools); ++i) {
      const TToolCase& tool = Tools[i];
      SCOPED_TRACE(tool.Name);
      const float top = 10.0f + 40.0f * static_cast<float>(i);
      ChooseAndHover(tool, At(150, top));
      gesture(tool, top, Core().ShapeCount());
    }
  }
};

TEST_P(InsertByMouseTest, EveryToolPlacesItsShapeByADragOnTheEmptyLabel) {
  Start();
  std::vector<TFrame> frames;
  ForEachTool([&](const TToolCase& tool, float top, int count) {
    doctest::DragMouse(Label(), At(20, top), At(70, top + 25));
    const TdocShape* shape = Placed(tool, count);
    ExpectPlaced(tool, shape, {20, top, 50, 25});
    if (shape) frames.push_back(FrameOf(*shape));
  });
  ASSERT_EQ(frames.size(), std::size(Tools));

  SaveNewAndOpen(Folder.File("designed.mqv"));
  ASSERT_EQ(Core().ShapeCount(), static_cast<int>(std::size(Tools)));
  for (std::size_t i = 0; i < std::size(Tools); ++i) {
    SCOPED_TRACE(Tools[i].Name);
    const TdocShape* shape = Core().GetShapes(static_cast<int>(i));
    EXPECT_EQ(typeid(*shape), Tools[i].Class);
    ExpectFrame(shape, frames[i], 1e-3f);
  }
}

TEST_P(InsertByMouseTest, EveryToolPlacesItsShapeByAClick) {
  Start();
  ForEachTool([&](const TToolCase& tool, float top, int count) {
    QTest::mouseClick(Label().viewport(), Qt::LeftButton, Qt::NoModifier, At(30, top));
    if (tool.SizedByDrag) {
      // The frame's corner follows the pointer to the second click.
      EXPECT_EQ(Core().GetEditState(), esInsertDragging);
      EXPECT_EQ(Core().ShapeCount(), count);
      doctest::MoveMouse(Label(), At(60, top + 15), Qt::NoButton);
      QTest::mouseClick(Label().viewport(), Qt::LeftButton, Qt::NoModifier, At(60, top + 15));
    }
    ExpectPlaced(tool, Placed(tool, count), {30, top, 30, 15});
  });
}

TEST_P(InsertByMouseTest, ADragOverAShapePlacesTheNewShapeAndLeavesTheOldOne) {
  Start();
  const TToolCase& frameTool = Tools[4];
  ChooseAndHover(frameTool, At(150, 150));
  doctest::DragMouse(Label(), At(10, 5), At(200, 290));
  const TdocShape* under = Placed(frameTool, 0);
  ASSERT_NE(under, nullptr);
  const TFrame before = FrameOf(*under);
  ForEachTool([&](const TToolCase& tool, float top, int count) {
    doctest::DragMouse(Label(), At(40, top), At(100, top + 30));
    ExpectPlaced(tool, Placed(tool, count), {40, top, 60, 30});
    ExpectFrame(under, before, 1e-4f);
  });
}

INSTANTIATE_TEST_SUITE_P(Languages, InsertByMouseTest, ::testing::Values(LanguageFrench, LanguageEnglish),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == LanguageFrench ? std::string("French") : std::string("English");
                         });

}  // namespace
}  // namespace guitest
