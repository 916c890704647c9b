// A corner or an edge of a projective text dragged with the mouse on the
// real control, then one undo: the text must come back exactly as it was
// (corners, frame and font height), and one redo must give the dragged
// shape back.

#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "document/core/StartUp.h"
#include "document/text/ProjectiveText.h"

namespace {

using doctest::MoveMouse;

constexpr float kCornerUndoScale = 4.0f;  // client pixels per millimetre

struct TProjectiveGeometryRecord {
  std::array<TFloatPoint, 4> Corners;
  float Left, Top, Width, Height, FontHeight;

  explicit TProjectiveGeometryRecord(const TdocProjectiveText& shape)
      : Corners(shape.GetCorners()),
        Left(shape.GetDocLeft()),
        Top(shape.GetDocTop()),
        Width(shape.GetDocWidth()),
        Height(shape.GetDocHeight()),
        FontHeight(shape.GetFontHeight()) {}
};

void ExpectSameProjectiveGeometry(const TProjectiveGeometryRecord& got, const TProjectiveGeometryRecord& expected) {
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(got.Corners[i].X, expected.Corners[i].X) << "corner " << i;
    EXPECT_FLOAT_EQ(got.Corners[i].Y, expected.Corners[i].Y) << "corner " << i;
  }
  EXPECT_FLOAT_EQ(got.Left, expected.Left);
  EXPECT_FLOAT_EQ(got.Top, expected.Top);
  EXPECT_FLOAT_EQ(got.Width, expected.Width);
  EXPECT_FLOAT_EQ(got.Height, expected.Height);
  EXPECT_FLOAT_EQ(got.FontHeight, expected.FontHeight);
}

struct ProjectiveCornerUndoTest : ::testing::Test {
  ProjectiveCornerUndoTest() {
    document::StartUp();
    doctest::ShowAtScale(Control, 500, 400, kCornerUndoScale);
    auto owned = std::make_unique<TdocProjectiveText>();
    owned->SetFontName("DejaVu Sans");
    owned->SetText(u"HHHHH");
    owned->SetDocPos(20, 20);
    Text = static_cast<TdocProjectiveText*>(Doc().GetShapes(Doc().AddShape(std::move(owned))));
    Text->SetSelected(true);
    Doc().ClearUndo();
  }
  TdocDocumentCore& Doc() { return Control.Core(); }
  QPoint At(float x, float y) { return doctest::PagePixel(Doc(), x, y); }

  // Press on the corner's grip (page millimetres), move by the offset in two
  // steps, release.
  void DragGrip(const TFloatPoint& grip, float dx, float dy) {
    QTest::mousePress(Control.viewport(), Qt::LeftButton, Qt::NoModifier, At(grip.X, grip.Y));
    ASSERT_EQ(Doc().GetHitKind(), hkPoint);
    MoveMouse(Control, At(grip.X + dx / 2, grip.Y + dy / 2), Qt::LeftButton);
    MoveMouse(Control, At(grip.X + dx, grip.Y + dy), Qt::LeftButton);
    QTest::mouseRelease(Control.viewport(), Qt::LeftButton, Qt::NoModifier, At(grip.X + dx, grip.Y + dy));
  }

  doctest::TTestDocument Control;
  TdocProjectiveText* Text = nullptr;
};

TEST_F(ProjectiveCornerUndoTest, OneUndoAfterACornerDragGivesTheShapeBackExactly) {
  const TProjectiveGeometryRecord before(*Text);
  ASSERT_FLOAT_EQ(before.Width, 40);
  ASSERT_FLOAT_EQ(before.Height, 30);
  // The top-right corner, at (60, 20) on the page, dragged 10 mm up and 6 mm
  // right: the frame grows to 46 x 40 and the right edge to 40 mm.
  DragGrip({60, 20}, 6, -10);
  const TProjectiveGeometryRecord dragged(*Text);
  EXPECT_FLOAT_EQ(dragged.Width, 46);
  EXPECT_FLOAT_EQ(dragged.Height, 40);
  EXPECT_FLOAT_EQ(dragged.Top, 10);
  EXPECT_FLOAT_EQ(dragged.FontHeight, 35);

  ASSERT_TRUE(Doc().CanUndo());
  Doc().Undo();
  ExpectSameProjectiveGeometry(TProjectiveGeometryRecord(*Text), before);
  ASSERT_TRUE(Doc().CanRedo());
  Doc().Redo();
  ExpectSameProjectiveGeometry(TProjectiveGeometryRecord(*Text), dragged);

  // A second corner, then both drags undone one by one.
  DragGrip({20, 50}, -4, 5);
  Doc().Undo();
  ExpectSameProjectiveGeometry(TProjectiveGeometryRecord(*Text), dragged);
  Doc().Undo();
  ExpectSameProjectiveGeometry(TProjectiveGeometryRecord(*Text), before);
}

// The bottom edge is a drag line of the frame: dragged 6 mm down, it
// scales the corners with the frame (40 x 36, font height 36).
TEST_F(ProjectiveCornerUndoTest, OneUndoAfterAnEdgeDragGivesTheShapeBackExactly) {
  const TProjectiveGeometryRecord before(*Text);
  QTest::mousePress(Control.viewport(), Qt::LeftButton, Qt::NoModifier, At(40, 50));
  ASSERT_EQ(Doc().GetHitKind(), hkBottom);
  MoveMouse(Control, At(40, 53), Qt::LeftButton);
  MoveMouse(Control, At(40, 56), Qt::LeftButton);
  QTest::mouseRelease(Control.viewport(), Qt::LeftButton, Qt::NoModifier, At(40, 56));
  const TProjectiveGeometryRecord dragged(*Text);
  EXPECT_FLOAT_EQ(dragged.Height, 36);
  EXPECT_FLOAT_EQ(dragged.Corners[TdocProjectiveText::cnBottomRight].Y, 36);
  EXPECT_FLOAT_EQ(dragged.FontHeight, 36);

  Doc().Undo();
  ExpectSameProjectiveGeometry(TProjectiveGeometryRecord(*Text), before);
  Doc().Redo();
  ExpectSameProjectiveGeometry(TProjectiveGeometryRecord(*Text), dragged);
}

}  // namespace
