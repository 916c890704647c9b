// The shape base: geometry, constraints, notification brackets, children,
// undo records and their replay, against values worked out by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/document/TestShapes.h"
#include "document/shape/ShapeByteForm.h"
#include "platform/rtl/Exception.h"
#include "xml/XmlDocument.h"

namespace {

using doctest::MakeFill;
using doctest::TFillShape;
using doctest::TPageFixture;

class ShapeTest : public ::testing::Test, protected TPageFixture {};

TEST_F(ShapeTest, AngleSetterNormalisesButComparesTheValuePassed) {
  struct Case {
    float start, set, stored;
  } cases[] = {{0, -30, 330}, {0, 720, 0}, {0, 360, 0}, {10, 370, 10}, {45, 45, 45}};
  for (const Case& c : cases) {
    TdocShape& shape = *Page.GetShapes(Page.AddShape(MakeFill(0, 0, 10, 10, c.start)));
    Document.UndoList.clear();
    const int changes = Document.ShapeChanges;
    shape.SetDocAngle(c.set);
    EXPECT_FLOAT_EQ(shape.GetDocAngle(), c.stored) << c.set;
    const bool recorded = !Document.UndoList.empty();
    EXPECT_EQ(recorded, c.set != c.start) << c.set;
    EXPECT_EQ(Document.ShapeChanges > changes, c.set != c.start) << c.set;
  }
}

TEST_F(ShapeTest, CoordinateMapsTurnCounterClockwiseOnTheScreen) {
  // At 90 degrees cos = 0, sin = 1: local (x, y) -> (L + y, T - x).
  auto shape = MakeFill(10, 20, 4, 2, 90);
  const struct {
    TFloatPoint local, parent;
  } cases[] = {{{0, 0}, {10, 20}}, {{1, 0}, {10, 19}}, {{0, 1}, {11, 20}}, {{4, 2}, {12, 16}}};
  for (const auto& c : cases) {
    const TFloatPoint p = shape->LocalToParent(c.local);
    EXPECT_NEAR(p.X, c.parent.X, 1e-5);
    EXPECT_NEAR(p.Y, c.parent.Y, 1e-5);
    const TFloatPoint back = shape->ParentToLocal(p);
    EXPECT_NEAR(back.X, c.local.X, 1e-5);
    EXPECT_NEAR(back.Y, c.local.Y, 1e-5);
  }
  const TFloatRect box = shape->GetBox();
  EXPECT_NEAR(box.Left, 10, 1e-5);
  EXPECT_NEAR(box.Top, 16, 1e-5);
  EXPECT_NEAR(box.Right, 12, 1e-5);
  EXPECT_NEAR(box.Bottom, 20, 1e-5);
}

TEST_F(ShapeTest, SizeConstraintsFromHandWorkedProposals) {
  struct Case {
    bool preserve;
    float ratio, minW, maxW, minH, maxH, w, h, wantW, wantH;
  } cases[] = {
      {true, 2, 0, 0, 0, 0, 10, 10, 10, 5},       // ratio 2: 10 x 10 becomes 10 x 5
      {true, 0.5f, 0, 0, 0, 0, 10, 10, 5, 10},    // ratio below 1 trims the width
      {true, 2, 12, 0, 0, 0, 10, 10, 12, 6},      // minimum width after the aspect step
      {false, 0, 0, 8, 3, 0, 10, 1, 8, 3},        // plain limits
      {false, 0, 0, 0, 0, 0, 0, -4, 0.1f, 0.1f},  // never below 0.1
      {true, 0, 0, 0, 0, 0, 7, 3, 7, 3},          // ratio 0 keeps no aspect (would zero the width)
  };
  for (const Case& c : cases) {
    TdocShape shape;
    shape.SetPreserveAspect(c.preserve);
    shape.SetAspectRatio(c.ratio);
    shape.Constraints = {c.minH, c.minW, c.maxH, c.maxW};
    float w = c.w, h = c.h;
    shape.ApplySizeConstraints(w, h);
    EXPECT_FLOAT_EQ(w, c.wantW) << c.w << "x" << c.h;
    EXPECT_FLOAT_EQ(h, c.wantH) << c.w << "x" << c.h;
  }
  TdocShape flat;
  flat.SetDocFrame(0, 0, 5, 0, 0);
  flat.LockAspectRatio();
  EXPECT_TRUE(flat.GetPreserveAspect());
  EXPECT_EQ(flat.GetAspectRatio(), 0.0f);
}

TEST_F(ShapeTest, AllowMoveOffRefusesAPureMoveButNotAResizeFromTheLeft) {
  TdocShape shape;
  shape.SetDocFrame(10, 10, 20, 20, 0);
  shape.AllowMove = false;
  shape.SetBoundsConstrained(15, 17, 20, 20);
  EXPECT_EQ(shape.GetDocLeft(), 10);
  EXPECT_EQ(shape.GetDocTop(), 10);
  shape.SetBoundsConstrained(5, 10, 25, 20);
  EXPECT_EQ(shape.GetDocLeft(), 5);
  EXPECT_EQ(shape.GetDocWidth(), 25);
}

TEST_F(ShapeTest, ChangesInsideABracketFireOnceAndAStrayEndUpdateRaisesOnlyOnce) {
  TdocShape shape;
  int fired = 0;
  shape.OnChange = [&](TPersistent*) { ++fired; };
  {
    auto bracket = shape.UpdateBracket();
    shape.Changed();
    shape.Changed();
    shape.Changed();
    EXPECT_EQ(fired, 0);
  }
  EXPECT_EQ(fired, 1);
  try {
    shape.EndUpdate();
    ADD_FAILURE() << "stray EndUpdate accepted";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "EndUpdate called more often than BeginUpdate");
  }
  // The count did not go negative: the next bracket works.
  shape.BeginUpdate();
  shape.Changed();
  shape.EndUpdate();
  EXPECT_EQ(fired, 2);
}

TEST_F(ShapeTest, ChangesAreSilentWhileTheDocumentLoads) {
  TdocShape& shape = *Page.GetShapes(Page.AddShape(MakeFill(0, 0, 5, 5)));
  int fired = 0;
  shape.OnChange = [&](TPersistent*) { ++fired; };
  Document.Loading = true;
  shape.SetDocLeft(3);
  EXPECT_EQ(fired, 0);
  Document.Loading = false;
  shape.SetDocLeft(4);
  EXPECT_EQ(fired, 1);
}

TEST_F(ShapeTest, UndoRecordsReplayToTheOldFrame) {
  TdocShape& shape = *Page.GetShapes(Page.AddShape(MakeFill(1.25f, 2, 3, 4, 0)));
  Document.UndoList.clear();
  shape.SetDocFrame(7.1f, 8.3f, 9, 10, 33.3f);
  shape.SetMasterAlpha(128);
  // Left, top, width, height, angle, alpha: six records, old values as text.
  ASSERT_EQ(Document.UndoList.size(), 6u);
  EXPECT_EQ(Document.UndoList[0]->PropName, "DocLeft");
  EXPECT_EQ(Document.UndoList[0]->Value, "1.25");
  EXPECT_EQ(Document.UndoList[5]->PropName, "MasterAlpha");
  EXPECT_EQ(Document.UndoList[5]->Value, "255");
  while (Document.Undo(Page)) {
  }
  EXPECT_EQ(shape.GetDocLeft(), 1.25f);
  EXPECT_EQ(shape.GetDocTop(), 2.0f);
  EXPECT_EQ(shape.GetDocWidth(), 3.0f);
  EXPECT_EQ(shape.GetDocHeight(), 4.0f);
  EXPECT_EQ(shape.GetDocAngle(), 0.0f);
  EXPECT_EQ(shape.GetMasterAlpha(), 255);
  // Each replay recorded its reverse as a redo step.
  EXPECT_EQ(Document.RedoList.size(), 6u);
}

TEST_F(ShapeTest, UndoBracketsGroupOrSuspendRecords) {
  TdocShape& shape = *Page.GetShapes(Page.AddShape(MakeFill(0, 0, 3, 4)));
  Document.UndoList.clear();
  {
    auto quiet = UndoSuspension(&Document);
    shape.SetDocLeft(5);
  }
  EXPECT_TRUE(Document.UndoList.empty());
  shape.SetDocLeft(6);
  EXPECT_EQ(Document.UndoList.size(), 1u);
  EXPECT_THROW(Document.EndUndo(), EInvalidOperation);
  // The stray EndUndo left no negative count behind.
  {
    auto step = UndoStep(&Document);
  }
  EXPECT_NO_THROW(UndoStep(nullptr));
}

TEST_F(ShapeTest, ReplayOfRemovedAndInsertedChildren) {
  auto group = std::make_unique<TdocShape>();
  group->AddShape(MakeFill(1, 1, 2, 2));
  group->AddShape(MakeFill(3, 3, 2, 2, 45));
  group->SetName(u"group \u00e9\u4e2d");
  Page.AddShape(MakeFill(0, 0, 1, 1));
  Page.AddShape(std::move(group));
  const std::string before = ShapesToString(Page);
  Document.UndoList.clear();
  Page.DeleteShape(1);
  ASSERT_EQ(Page.GetShapeCount(), 1);
  ASSERT_EQ(Document.UndoList.back()->Kind, ckChildRemoved);
  ASSERT_TRUE(Document.Undo(Page));
  ASSERT_EQ(Page.GetShapeCount(), 2);
  EXPECT_EQ(Page.GetShapes(1)->GetNameText(), u"group \u00e9\u4e2d");
  EXPECT_EQ(Page.GetShapes(1)->GetShapeCount(), 2);
  EXPECT_EQ(ShapesToString(Page), before);
  // Its redo record is the insertion, which deletes the child again.
  ASSERT_EQ(Document.RedoList.back()->Kind, ckChildInserted);
  EXPECT_TRUE(Page.ApplyCommand(*Document.RedoList.back()));
  EXPECT_EQ(Page.GetShapeCount(), 1);
}

TEST_F(ShapeTest, HostileReplayRecordsAreRefusedWithoutDamage) {
  Page.AddShape(MakeFill(0, 0, 1, 1));
  auto command = [this](TdocCommandKind kind, std::string value) {
    TdocCommand c;
    c.Kind = kind;
    c.ShapeId = Page.GetShapeId();
    c.Value = std::move(value);
    return c;
  };
  EXPECT_THROW(Page.ApplyCommand(command(ckChildInserted, "x1")), EConvertError);
  EXPECT_TRUE(Page.ApplyCommand(command(ckChildInserted, "99")));  // no such child: nothing deleted
  TdocCommand removed = command(ckChildRemoved, "TFillShape");
  removed.Stream = std::make_unique<TMemoryStream>();
  const std::int32_t lying[] = {0, 7, 1000000};  // index, id, a text length beyond the stream
  removed.Stream->WriteBuffer(lying, sizeof lying);
  EXPECT_THROW(Page.ApplyCommand(removed), EReadError);
  EXPECT_EQ(Page.GetShapeCount(), 1);
}

TEST_F(ShapeTest, DeletingAChildRemovesOnlyItsTemporaryStreams) {
  struct TResourceShape : TFillShape {
    std::string Stream;
    void CollectArchiveNames(TStringList& list) const override { list.Add(Stream); }
  };
  TsdStorage& storage = *Document.GetStorage();
  TMemoryStream data;
  data.WriteBuffer("abc", 3);
  for (const char* name : {"TMP1234567.png", "picture.png"}) storage.WriteStream(name, data);
  for (const char* name : {"TMP1234567.png", "picture.png"}) {
    auto shape = std::make_unique<TResourceShape>();
    shape->Stream = name;
    Page.AddShape(std::move(shape));
  }
  // Extracting keeps the child alive, and with it its stream.
  std::unique_ptr<TdocShape> extracted = Page.ExtractShape(Page.GetShapes(0));
  EXPECT_TRUE(storage.StreamExists("TMP1234567.png"));
  Page.AddShape(std::move(extracted));
  Page.DeleteShape(1);
  EXPECT_FALSE(storage.StreamExists("TMP1234567.png"));
  Page.DeleteShape(0);
  EXPECT_TRUE(storage.StreamExists("picture.png"));
}

TEST_F(ShapeTest, ClearContentStopsAtTheFixedChild) {
  for (int i = 0; i < 4; ++i) Page.AddShape(MakeFill(float(i), 0, 1, 1));
  Page.GetShapes(1)->Fixed = true;
  Page.ClearContent();
  EXPECT_EQ(Page.GetShapeCount(), 2);
  EXPECT_TRUE(Page.GetShapes(1)->Fixed);
}

TEST_F(ShapeTest, FontStyleLettersBothWays) {
  const struct {
    std::uint8_t style;
    const char* text;
  } cases[] = {{0, ""}, {1, "B"}, {5, "BU"}, {15, "BIUS"}, {10, "IS"}};
  for (const auto& c : cases) {
    EXPECT_EQ(FontStyleToText(c.style), c.text);
    EXPECT_EQ(FontStyleFromText(c.text), c.style);
  }
}

}  // namespace
