// Undo and redo of the document core: worked cases of grouping, of what a
// replay records, and of commands no shape takes.

#include <gtest/gtest.h>

#include <string>

#include "tests/document/DocumentXmlText.h"
#include "tests/document/TestShapes.h"
#include "document/core/DocumentCore.h"
#include "document/effects/EffectShape.h"
#include "document/page/Page.h"
#include "document/effects/ShadowEffect.h"
#include "document/text/TransformText.h"
#include "platform/rtl/Exception.h"

namespace {

using doctest::DocumentXmlText;
using doctest::TFillShape;

struct DocumentUndoTest : ::testing::Test {
  TdocShape& Add(float left) {
    auto shape = std::make_unique<TdocGroupShape>();
    TdocShape& added = *shape;
    Doc.AddShape(std::move(shape));
    added.SetDocFrame(left, 0, 10, 10, 0);
    return added;
  }
  TdocDocumentCore Doc;
};

TEST_F(DocumentUndoTest, AStepUndoesOneBracketAndRedoDoesItAgain) {
  TdocShape& shape = Add(5);
  const std::string start = DocumentXmlText(Doc);
  {
    auto step = UndoStep(&Doc);
    shape.SetDocFrame(20, 30, 40, 50, 60);
  }
  const std::string moved = DocumentXmlText(Doc);
  const int groups = Doc.GetUndoCount();
  Doc.Undo();
  EXPECT_EQ(DocumentXmlText(Doc), start);
  EXPECT_GT(Doc.GetRedoCount(), 0);
  EXPECT_FALSE(Doc.GetRedoCommand(0)->Grouped);
  EXPECT_TRUE(Doc.GetRedoCommand(Doc.GetRedoCount() - 1)->Grouped);
  Doc.Redo();
  EXPECT_EQ(DocumentXmlText(Doc), moved);
  EXPECT_EQ(Doc.GetUndoCount(), groups);
  EXPECT_EQ(Doc.GetRedoCount(), 0);
}

TEST_F(DocumentUndoTest, ANewChangeDropsTheRedoSteps) {
  TdocShape& shape = Add(5);
  shape.SetDocLeft(6);
  Doc.Undo();
  ASSERT_TRUE(Doc.CanRedo());
  shape.SetDocTop(7);
  EXPECT_FALSE(Doc.CanRedo());
}

TEST_F(DocumentUndoTest, ADroppedRepeatDoesNotJoinTwoActions) {
  TdocShape& shape = Add(5);
  Doc.ClearUndo();
  shape.SetDocLeft(6);  // records "5"
  const TdocCommand& last = *Doc.GetUndoCommand(0);
  {
    auto step = UndoStep(&Doc);
    auto repeat = std::make_unique<TdocCommand>();
    repeat->ShapeId = last.ShapeId;
    repeat->PropName = last.PropName;
    repeat->Value = last.Value;
    Doc.AddUndoCommand(std::move(repeat));  // dropped
    shape.SetDocTop(1);
  }
  ASSERT_EQ(Doc.GetUndoCount(), 2);
  EXPECT_FALSE(Doc.GetUndoCommand(1)->Grouped);
  Doc.Undo();
  EXPECT_FLOAT_EQ(shape.GetDocTop(), 0);
  EXPECT_FLOAT_EQ(shape.GetDocLeft(), 6);
}

TEST_F(DocumentUndoTest, EffectsComeBackWithTheirProperties) {
  auto& shape = static_cast<TdocEffectShape&>(Add(5));
  const std::string start = DocumentXmlText(Doc);
  {
    auto step = UndoStep(&Doc);
    auto shadow = std::make_unique<TdocShadowEffect>();
    TdocShadowEffect& added = *shadow;
    shape.AddEffect(std::move(shadow));
    added.SetIntensity(0.25f);
  }
  const std::string withShadow = DocumentXmlText(Doc);
  {
    auto step = UndoStep(&Doc);
    static_cast<TdocShadowEffect*>(shape.GetEffects(0))->SetBlur(7);
    shape.DeleteEffect(0);
  }
  Doc.Undo();
  EXPECT_EQ(DocumentXmlText(Doc), withShadow);
  Doc.Undo();
  EXPECT_EQ(DocumentXmlText(Doc), start);
  Doc.Redo();
  EXPECT_EQ(DocumentXmlText(Doc), withShadow);
}

TEST_F(DocumentUndoTest, ADeletedShapeComesBackWithItsResource) {
  RegisterShapeClass(doctest::TResourceShape::StaticClass());
  TMemoryStream data;
  data.WriteBuffer("PIXELS", 6);
  Doc.GetStorage()->WriteStream("TMP0000003.png", data);
  auto shape = std::make_unique<doctest::TResourceShape>();
  shape->Stream = "TMP0000003.png";
  Doc.AddShape(std::move(shape));
  Doc.ClearUndo();
  const std::string start = DocumentXmlText(Doc);
  Doc.DeleteShape(0);
  ASSERT_FALSE(Doc.GetStorage()->StreamExists("TMP0000003.png"));
  const std::string deleted = DocumentXmlText(Doc);
  Doc.Undo();
  EXPECT_EQ(DocumentXmlText(Doc), start);
  Doc.Redo();
  EXPECT_EQ(DocumentXmlText(Doc), deleted);
}

// The two constructors: fields as given, a stream owned and rewound, and the
// memory the cap counts worked by hand (name + 4 + value + stream bytes).
TEST(DocCommandTest, CreateAndCreateWithStream) {
  const auto plain = TdocCommand::Create(ckPropertyValue, "12.5", "DocLeft", 7);
  EXPECT_EQ(plain->Kind, ckPropertyValue);
  EXPECT_EQ(plain->Value, "12.5");
  EXPECT_EQ(plain->PropName, "DocLeft");
  EXPECT_EQ(plain->ShapeId, 7);
  EXPECT_FALSE(plain->Grouped);
  EXPECT_EQ(plain->Stream, nullptr);
  EXPECT_EQ(plain->GetMemorySize(), 7 + 4 + 4);

  auto stream = std::make_unique<TMemoryStream>();
  stream->WriteBuffer("CHILDBYTES", 10);
  TMemoryStream* written = stream.get();
  ASSERT_EQ(written->GetPosition(), 10);
  const auto removed =
      TdocCommand::CreateWithStream(ckChildRemoved, std::move(stream), "TdocTextShape", "ClassName", -3);
  EXPECT_EQ(removed->Kind, ckChildRemoved);
  EXPECT_EQ(removed->Value, "TdocTextShape");
  EXPECT_EQ(removed->PropName, "ClassName");
  EXPECT_EQ(removed->ShapeId, -3);
  ASSERT_EQ(removed->Stream.get(), written);
  EXPECT_EQ(removed->Stream->GetPosition(), 0) << "rewound";
  char first[5] = {};
  removed->Stream->ReadBuffer(first, 4);
  EXPECT_STREQ(first, "CHIL");
  EXPECT_EQ(removed->GetMemorySize(), 9 + 4 + 13 + 10);
  EXPECT_EQ(TdocCommand::CreateWithStream(ckEffectRemoved, nullptr, "", "", 1)->GetMemorySize(), 4);
}

TEST_F(DocumentUndoTest, ACommandNoShapeTakesRaises) {
  TdocCommand command{ckPropertyValue, 0, false, std::string("DocLeft"), std::string("1"), nullptr};
  for (const std::int32_t id : {9999, 0}) {
    command.ShapeId = id;
    try {
      Doc.ExecuteCommand(command);
      ADD_FAILURE() << id;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Unable to execute Undo");
    }
  }
}

TEST_F(DocumentUndoTest, NothingToUndoOrRedoIsNoStep) {
  Doc.ClearUndo();
  const std::string start = DocumentXmlText(Doc);
  Doc.Undo();
  Doc.Redo();
  EXPECT_EQ(DocumentXmlText(Doc), start);
  Doc.BeginBusy(crHourGlass);
  EXPECT_THROW(Doc.Undo(), Exception);
  Doc.EndBusy();
}

}  // namespace

// A text that sizes itself while it is read back must not record that as a
// step of its own: redo deletes it again, and undo brings it back once more.
TEST(DocumentUndoRestoreTest, RedoDeletesARestoredCurvedTextAgain) {
  TdocDocumentCore doc;
  auto text = std::make_unique<TdocCurvedText>();
  text->SetDocBounds(10, 10, 40, 20);
  text->SetText(u"Curved");
  const std::int32_t id = doc.GetShapes(doc.AddShape(std::move(text)))->GetShapeId();
  doc.DeleteShape(0);
  for (int round = 0; round < 2; ++round) {
    doc.Undo();
    ASSERT_EQ(doc.ShapeCount(), 1);
    EXPECT_EQ(doc.GetShapes(0)->GetShapeId(), id);
    doc.Redo();
    EXPECT_EQ(doc.ShapeCount(), 0);
  }
}
