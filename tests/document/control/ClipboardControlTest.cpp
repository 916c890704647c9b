// The editor control's selection clipboard through the desktop's clipboard
// (offscreen platform): what one control copies is the text the clipboard
// holds, another control pastes it, and names in Greek come through intact.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>

#include "tests/document/TestShapes.h"
#include "document/shapes/FrameShapes.h"
#include "document/page/Page.h"
#include "document/control/Document.h"

namespace {

const std::u16string GreekName = u"Ετικέτα αβγδ — ωψ";

struct ClipboardControlTest : ::testing::Test {
  ClipboardControlTest() { document::StartUp(); }

  // A selected rectangle with the Greek name on the control's page.
  static TdocShape& AddSelected(TdocDocument& control, float left, float top) {
    auto shape = std::make_unique<TdocRectangleShape>();
    shape->SetDocFrame(left, top, 20, 10, 0);
    shape->SetName(GreekName);
    TdocShape& added = *shape;
    control.Core().AddShape(std::move(shape));
    added.SetSelected(true);
    return added;
  }

  TdocDocument Source;
  TdocDocument Target;
};

TEST_F(ClipboardControlTest, ACopiedShapeTravelsThroughTheClipboardWithItsGreekName) {
  AddSelected(Source, 12, 34);
  QApplication::clipboard()->setText("plain words");
  EXPECT_FALSE(Target.Core().CanPaste());

  Source.Core().CopySelection();
  const QString onClipboard = QApplication::clipboard()->text();
  EXPECT_TRUE(onClipboard.startsWith("<?xml"));
  EXPECT_TRUE(onClipboard.contains("<Selection>"));
  EXPECT_TRUE(Target.Core().CanPaste());

  Target.Core().Paste();
  ASSERT_EQ(Target.Core().ShapeCount(), 1);
  const TdocShape& pasted = *Target.Core().GetShapes(0);
  EXPECT_EQ(pasted.GetName(), GreekName);
  EXPECT_EQ(pasted.ClassName(), "TdocRectangleShape");
  EXPECT_FLOAT_EQ(pasted.GetDocLeft(), 12);  // another document: the copy keeps its place
  EXPECT_FLOAT_EQ(pasted.GetDocTop(), 34);
}

TEST_F(ClipboardControlTest, CutAndPasteOnTheSameControlGoThroughTheClipboard) {
  AddSelected(Source, 1, 2);
  Source.Core().CutSelection();
  EXPECT_EQ(Source.Core().ShapeCount(), 0);
  Source.Core().Paste();
  Source.Core().Paste();
  ASSERT_EQ(Source.Core().ShapeCount(), 2);
  EXPECT_EQ(Source.Core().GetShapes(1)->GetName(), GreekName);
  // The cut forgot the page, so the first paste lands in place and the second one step away.
  EXPECT_FLOAT_EQ(Source.Core().GetShapes(0)->GetDocLeft(), 1);
  EXPECT_FLOAT_EQ(Source.Core().GetShapes(1)->GetDocLeft(), 11);
}

}  // namespace
