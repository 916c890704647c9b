// The placeholder: its parts, its drawing (a white box with dark text in
// the middle), its life as the fixed first child of a group, and its way
// back through XML.

#include <gtest/gtest.h>

#include "tests/document/TestShapes.h"
#include "document/shape/ClassRegistry.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/PlaceHolder.h"
#include "document/text/TextShape.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

using doctest::LoadShapeXml;
using doctest::SaveShapeXml;
using doctest::TPageFixture;

class PlaceHolderTest : public ::testing::Test, protected TPageFixture {
protected:
  TdocShape& AddGroup() {
    auto group = std::make_unique<TdocGroupShape>();
    group->SetDocFrame(10, 20, 5, 5, 0);
    TdocShape& added = *group;
    Page.AddShape(std::move(group));
    added.AddPlaceHolder();
    return added;
  }
};

TEST_F(PlaceHolderTest, IsAWhiteBoxAndACentredTextThatCannotBeSelected) {
  TdocPlaceHolder holder;
  EXPECT_FLOAT_EQ(holder.GetDocWidth(), 40.0f);
  EXPECT_FLOAT_EQ(holder.GetDocHeight(), 30.0f);
  EXPECT_TRUE(holder.GetGrouped());
  ASSERT_EQ(holder.GetShapeCount(), 2);
  auto* box = dynamic_cast<TdocRectangleShape*>(holder.GetShapes(0));
  auto* text = dynamic_cast<TdocMemoShape*>(holder.GetShapes(1));
  ASSERT_NE(box, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(box->GetFillColor(), 0xFFFFFF);
  EXPECT_EQ(text->GetText(), u"Place image here");
  EXPECT_FALSE(text->AllowEdit);
  EXPECT_FLOAT_EQ(text->GetDocLeft(), 2.0f);
  EXPECT_FLOAT_EQ(text->GetDocWidth(), 36.0f);
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(holder.GetShapes(i)->Fixed);
    EXPECT_FALSE(holder.GetShapes(i)->AllowSelect);
    EXPECT_EQ(holder.GetShapes(i)->GetAnchors(), 120);
  }
}

TEST_F(PlaceHolderTest, DrawsAWhiteBoxWithTheTextCentred) {
  TdocPlaceHolder holder;
  constexpr float Res = 4;
  TBitmap32 bitmap;
  bitmap.SetSize(160, 120);
  bitmap.Clear(0xFF00FF00u);
  TdocRenderOptions options;
  options.Resolution = Res;
  holder.RenderShape(bitmap, {0, 0, 40, 30}, false, options);
  // Inside the hairline frame: white, and dark text whose box is centred.
  int white = 0, dark = 0, minX = 160, maxX = -1, minY = 120, maxY = -1;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) {
      const TColor32 c = bitmap.GetPixel(x, y);
      ASSERT_NE(c, 0xFF00FF00u) << x << "," << y;  // the box covers the whole frame
      if (x < 2 || y < 2 || x > 157 || y > 117) continue;
      white += c == 0xFFFFFFFFu;
      if ((c & 0xFF) < 96) {
        ++dark;
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
    }
  EXPECT_GT(white, 160 * 120 * 8 / 10);
  ASSERT_GT(dark, 50);
  EXPECT_NEAR((minX + maxX) / 2.0, 80, 4);
  EXPECT_NEAR((minY + maxY) / 2.0, 60, 4);
  // 12 points is about 4.2 mm: the text's height is near one line.
  EXPECT_LT(maxY - minY, 6 * Res);
}

TEST_F(PlaceHolderTest, AddedAsFixedFirstChildItSurvivesClearingAndCanBeHidden) {
  TdocShape& group = AddGroup();
  ASSERT_NE(dynamic_cast<TdocPlaceHolder*>(group.GetShapes(0)), nullptr);
  EXPECT_FLOAT_EQ(group.GetDocWidth(), 40.0f);
  EXPECT_FLOAT_EQ(group.GetDocHeight(), 30.0f);
  group.AddShape(std::make_unique<TdocRectangleShape>());
  group.ClearContent();
  ASSERT_EQ(group.GetShapeCount(), 1);
  group.ShowPlaceHolder(false);
  EXPECT_FALSE(group.GetShapes(0)->GetVisible());
  group.ShowPlaceHolder(true);
  EXPECT_TRUE(group.GetShapes(0)->GetVisible());

  TdocRectangleShape plain;
  plain.AddShape(std::make_unique<TdocRectangleShape>());
  plain.ShowPlaceHolder(false);  // child 0 is no placeholder: left alone
  EXPECT_TRUE(plain.GetShapes(0)->GetVisible());
}

TEST_F(PlaceHolderTest, FollowsItsOwnersSize) {
  TdocShape& group = AddGroup();
  group.SetDocBounds(group.GetDocLeft(), group.GetDocTop(), 80, 60);
  TdocShape& holder = *group.GetShapes(0);
  EXPECT_NEAR(holder.GetDocWidth(), 80.0f, 1e-4f);
  EXPECT_NEAR(holder.GetDocHeight(), 60.0f, 1e-4f);
  // Left and top kept, the size scaled by two.
  TdocShape& text = *holder.GetShapes(1);
  EXPECT_NEAR(text.GetDocLeft(), 2.0f, 1e-4f);
  EXPECT_NEAR(text.GetDocWidth(), 72.0f, 1e-4f);
  EXPECT_NEAR(text.GetDocHeight(), 52.0f, 1e-4f);
}

TEST_F(PlaceHolderTest, ComesBackOnlyIntoAnOwnerThatMadeOne) {
  TdocShape& group = AddGroup();
  group.ShowPlaceHolder(false);
  const std::string text = SaveShapeXml(group);

  TdocGroupShape withHolder;
  withHolder.AddPlaceHolder();
  LoadShapeXml(withHolder, text);
  ASSERT_EQ(withHolder.GetShapeCount(), 1);
  ASSERT_NE(dynamic_cast<TdocPlaceHolder*>(withHolder.GetShapes(0)), nullptr);
  EXPECT_FALSE(withHolder.GetShapes(0)->GetVisible());
  EXPECT_EQ(withHolder.GetShapes(0)->GetShapeCount(), 2);

  TdocGroupShape without;
  LoadShapeXml(without, text);
  ASSERT_EQ(without.GetShapeCount(), 1);
  EXPECT_EQ(without.GetShapes(0)->ClassName(), "TdocShape");
}

}  // namespace
