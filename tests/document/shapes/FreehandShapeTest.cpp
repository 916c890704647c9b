// The freehand shape driven by mouse and keys through a plain document at
// 10 client pixels per millimetre: which points a stroke keeps, where they
// land on the page, how an edit ends, and its XML.

#include <gtest/gtest.h>

#include "tests/document/TestShapes.h"
#include "document/shape/ClassRegistry.h"
#include "document/shapes/FreehandShape.h"
#include "platform/rtl/Exception.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

using doctest::TPageFixture;

class FreehandShapeTest : public ::testing::Test, protected TPageFixture {
protected:
  FreehandShapeTest() {
    Document.Scale = 10;
    auto owned = std::make_unique<TdocFreehandShape>();
    owned->SetDocFrame(20, 10, 0, 0, 0);
    Shape = owned.get();
    Page.AddShape(std::move(owned));
    Shape->StartEdit();
  }
  // A press at the first point, moves through the others, a release at the last.
  void Stroke(const std::vector<TPoint>& pixels) {
    Shape->EditMouseDown(mbLeft, 0, pixels.front().X, pixels.front().Y);
    for (std::size_t i = 1; i < pixels.size(); ++i) Shape->EditMouseMove(0, pixels[i].X, pixels[i].Y);
    Shape->EditMouseUp(mbLeft, 0, pixels.back().X, pixels.back().Y);
  }
  // The undo step the edit opened was closed: no bracket is left open.
  void ExpectUndoBalanced() { EXPECT_THROW(Document.EndUndo(), EInvalidOperation); }

  TdocFreehandShape* Shape;
};

TEST_F(FreehandShapeTest, StepsOfThreeTenthsAddEverySecondPointWhereThePointerWas) {
  std::vector<TPoint> pixels;
  for (int x = 100; x <= 160; x += 3) pixels.push_back({x, 200});
  Stroke(pixels);
  const TdocContours& points = Shape->GetPoints();
  ASSERT_GE(points.size(), 1u);
  const TdocContour& stroke = points.front();
  // Kept: every second step (0.6 mm), plus the release point 100 + 63 -> 160.
  std::vector<float> expected;
  for (int x = 100; x <= 160; x += 6) expected.push_back(static_cast<float>(x));
  if (expected.back() != 160) expected.push_back(160);
  ASSERT_EQ(stroke.size(), expected.size());
  for (std::size_t i = 0; i < stroke.size(); ++i) {
    const TFloatPoint screen = Shape->ShapeToScreen(stroke[i]);
    EXPECT_NEAR(screen.X, expected[i], 1e-3f) << i;
    EXPECT_NEAR(screen.Y, 200.0f, 1e-3f) << i;
  }
  EXPECT_NEAR(Shape->GetDocLeft(), 10.0f, 1e-4f);
  EXPECT_NEAR(Shape->GetDocWidth(), 6.0f, 1e-4f);
  // AutoRestart: a new, empty contour waits for the next stroke.
  EXPECT_TRUE(points.back().empty());
  EXPECT_TRUE(Document.CloseRequests.empty());
}

TEST_F(FreehandShapeTest, ClickWithoutMovementLeavesNothingAndTheShapeGoes) {
  Stroke({{50, 50}});
  Shape->EndEdit(true);
  // Removed before the edit's undo step closed: the removal is part of it.
  EXPECT_EQ(Page.GetShapeCount(), 0);
  ASSERT_FALSE(Document.UndoList.empty());
  EXPECT_EQ(Document.UndoList.back()->Kind, ckChildRemoved);
  ExpectUndoBalanced();
}

TEST_F(FreehandShapeTest, EscapeWhileDrawingRemovesTheShape) {
  Shape->EditMouseDown(mbLeft, 0, 10, 10);
  Shape->EditMouseMove(0, 40, 40);
  TKey key = VK_ESCAPE;
  Shape->EditKeyDown(key, 0);
  ASSERT_EQ(Document.CloseRequests, std::vector<bool>{false});
  Shape->EndEdit(false);  // what the document does on that request
  EXPECT_EQ(Page.GetShapeCount(), 0);
  ExpectUndoBalanced();
}

TEST_F(FreehandShapeTest, AcceptedStrokesStayAndTrailingShortContoursGo) {
  Stroke({{0, 0}, {20, 0}, {20, 20}});
  Stroke({{70, 70}});  // a click: reuses the waiting contour
  Stroke({{90, 90}, {100, 90}});
  // Two strokes and one contour waiting: the click's lone point was cleared
  // when the next stroke started in its contour.
  ASSERT_EQ(Shape->GetPoints().size(), 3u);
  Shape->EndEdit(true);
  EXPECT_EQ(Shape->GetPoints().size(), 2u);
  EXPECT_EQ(Page.GetShapeCount(), 1);
  ExpectUndoBalanced();
}

TEST_F(FreehandShapeTest, KeysEndTheEdit) {
  const struct {
    TKey key;
    bool accepted;
  } cases[] = {{VK_RETURN, true}, {VK_TAB, true}, {VK_F1 + 1, true}, {VK_EXECUTE, true},
               {VK_ESCAPE, false}, {VK_CANCEL, false}, {VK_SPACE, true}};
  for (const auto& c : cases) {
    Document.CloseRequests.clear();
    TKey key = c.key;
    Shape->EditKeyDown(key, 0);
    EXPECT_EQ(Document.CloseRequests, std::vector<bool>{c.accepted}) << c.key;
  }
  EXPECT_TRUE(Shape->GetIsClosed());  // Space closed the outline
  Document.CloseRequests.clear();
  TKey other = 'A';
  Shape->EditKeyDown(other, 0);
  EXPECT_TRUE(Document.CloseRequests.empty());
}

TEST_F(FreehandShapeTest, RightButtonOrNoRestartEndsAccepted) {
  // The middle button draws like the left one.
  Shape->EditMouseDown(mbMiddle, 0, 5, 5);
  EXPECT_TRUE(Shape->IsDrawing());
  Shape->EditMouseUp(mbMiddle, 0, 25, 5);
  EXPECT_TRUE(Document.CloseRequests.empty());
  Shape->EditMouseDown(mbRight, 0, 5, 5);
  EXPECT_EQ(Document.CloseRequests, std::vector<bool>{true});
  Document.CloseRequests.clear();
  Shape->AutoRestart = false;
  Stroke({{0, 0}, {30, 0}});
  EXPECT_EQ(Document.CloseRequests, std::vector<bool>{true});
}

TEST_F(FreehandShapeTest, NewShapeIsOpenUnfilledAndSavesAutoRestart) {
  EXPECT_FALSE(Shape->GetIsClosed());
  EXPECT_FALSE(Shape->GetUseFill());
  EXPECT_TRUE(Shape->GetStorePoints());
  Stroke({{0, 0}, {30, 0}, {30, 30}});
  const auto reload = [](const TdocShape& shape) {
    auto loaded = doctest::ShapeFromXml(doctest::SaveShapeXml(shape));
    EXPECT_EQ(loaded->ClassName(), "TdocFreehandShape");
    return std::unique_ptr<TdocFreehandShape>(static_cast<TdocFreehandShape*>(loaded.release()));
  };
  auto loaded = reload(*Shape);
  EXPECT_TRUE(loaded->AutoRestart);
  EXPECT_EQ(loaded->GetPoints().front(), Shape->GetPoints().front());
  Shape->AutoRestart = false;
  EXPECT_FALSE(reload(*Shape)->AutoRestart);

  TdocFreehandShape fresh;
  doctest::LoadShapeXml(fresh, "<shape><ClassName>TdocFreehandShape</ClassName></shape>");
  EXPECT_FALSE(fresh.AutoRestart);
}

}  // namespace
