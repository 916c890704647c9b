// The shape byte form against a reader and a writer made from the layout
// table (tests/document/ByteForm.h).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/document/ByteForm.h"
#include "tests/document/TestShapes.h"
#include "document/shape/ShapeByteForm.h"
#include "platform/rtl/Exception.h"
#include "xml/XmlNode.h"

namespace {

using doctest::MakeFill;
using doctest::TFillShape;
using doctest::TPageFixture;
using doctest::TResourceShape;
using doctest::BuildForm;
using doctest::ParseForm;
using doctest::PutFormU32;
using doctest::TParsedForm;

class ShapeByteFormTest : public ::testing::Test, protected TPageFixture {
protected:
  ShapeByteFormTest() { RegisterShapeClass(TResourceShape::StaticClass()); }

  void Store(const std::string& name, const std::string& data) {
    TMemoryStream stream;
    stream.WriteBuffer(data.data(), std::int64_t(data.size()));
    Document.GetStorage()->WriteStream(name, stream);
  }
  std::string Stored(const std::string& name) {
    TMemoryStream stream;
    Document.GetStorage()->ReadStream(name, stream);
    return {stream.Bytes().begin(), stream.Bytes().end()};
  }
  TResourceShape& AddResourceShape(const std::string& stream) {
    auto shape = std::make_unique<TResourceShape>();
    shape->Stream = stream;
    return static_cast<TResourceShape&>(*Page.GetShapes(Page.AddShape(std::move(shape))));
  }
};

TEST_F(ShapeByteFormTest, AShapeWithoutResourcesStartsWithFourZeroBytes) {
  const std::string bytes = ShapesToString(*MakeFill(1, 2, 3, 4));
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(0, 4), std::string(4, '\0'));
  const TParsedForm form = ParseForm(bytes);
  EXPECT_TRUE(form.Resources.empty());
  EXPECT_NE(form.Xml.find("<shape><ClassName>TFillShape</ClassName>"), std::string::npos);
}

TEST_F(ShapeByteFormTest, ResourcesTravelWithTheShapeAndMissingOnesAreEmptyRecords) {
  Store("logo.png", "PNGDATA");
  TResourceShape& shape = AddResourceShape("logo.png");
  shape.AddShape(std::make_unique<TResourceShape>());
  static_cast<TResourceShape*>(shape.GetShapes(0))->Stream = "gone.png";
  const TParsedForm form = ParseForm(ShapesToString(shape));
  ASSERT_EQ(form.Resources.size(), 2u);
  EXPECT_EQ(form.Resources[0], (std::pair<std::string, std::string>{"gone.png", ""}));
  EXPECT_EQ(form.Resources[1], (std::pair<std::string, std::string>{"logo.png", "PNGDATA"}));
}

TEST_F(ShapeByteFormTest, WhatTheTestWriterBuildsIsRead) {
  TParsedForm form;
  form.Resources = {{"a.bin", "AAA"}, {"empty.bin", ""}};
  form.Xml = "<?xml version=\"1.0\"?><shape><ClassName>TResourceShape</ClassName><DocLeft>7.5</DocLeft>"
             "<Stream>a.bin</Stream></shape>";
  TResourceShape& shape = AddResourceShape("");
  ShapesFromString(shape, BuildForm(form));
  EXPECT_EQ(shape.GetDocLeft(), 7.5f);
  // Kept in a temporary stream, which leaves with the shape.
  EXPECT_TRUE(TsdStorage::IsTempName(shape.Stream)) << shape.Stream;
  EXPECT_TRUE(shape.Stream.ends_with(".bin")) << shape.Stream;
  EXPECT_EQ(Stored(shape.Stream), "AAA");
  EXPECT_FALSE(Document.GetStorage()->StreamExists("a.bin"));
  EXPECT_FALSE(Document.GetStorage()->StreamExists("empty.bin"));
}

TEST_F(ShapeByteFormTest, ACopyNeverSharesATemporaryStreamNorOverwritesAnother) {
  Store("TMP0000001.png", "ORIGINAL");
  Store("Index.xml", "DOCUMENT");
  TResourceShape& original = AddResourceShape("TMP0000001.png");
  TResourceShape& copy = AddResourceShape("");
  copy.Assign(&original);
  ASSERT_NE(copy.Stream, original.Stream);
  EXPECT_TRUE(TsdStorage::IsTempName(copy.Stream));
  EXPECT_EQ(Stored(copy.Stream), "ORIGINAL");
  Page.RemoveShape(&copy);
  EXPECT_EQ(Stored("TMP0000001.png"), "ORIGINAL");
  // A pasted resource named like a document stream lands beside it.
  TParsedForm hostile{{{"Index.xml", "EVIL"}}, "<shape><ClassName>TResourceShape</ClassName><Stream>Index.xml</Stream></shape>"};
  TResourceShape& pasted = AddResourceShape("");
  ShapesFromString(pasted, BuildForm(hostile));
  EXPECT_EQ(Stored("Index.xml"), "DOCUMENT");
  EXPECT_EQ(Stored(pasted.Stream), "EVIL");
}

TEST_F(ShapeByteFormTest, WithoutAContainerTheShapeLoadsAndItsDataIsDropped) {
  TResourceShape shape;  // no document
  ShapesFromString(shape, BuildForm({{{"x.bin", "X"}}, "<shape><Stream>x.bin</Stream><Tag>9</Tag></shape>"}));
  EXPECT_EQ(shape.Tag, 9);
  EXPECT_FALSE(Document.GetStorage()->StreamExists("x.bin"));
}

TEST_F(ShapeByteFormTest, ShortOrLyingStringsRaiseTheStreamReadError) {
  const std::string good = ShapesToString(*MakeFill(1, 2, 3, 4));
  std::vector<std::string> bad;
  for (std::size_t cut : {std::size_t{2}, std::size_t{6}, good.size() - 1}) bad.push_back(good.substr(0, cut));
  std::string hugeCount;
  PutFormU32(hugeCount, 0x7FFFFFFF);
  bad.push_back(hugeCount + std::string(16, '\0'));
  std::string hugeXml;
  PutFormU32(hugeXml, 0);
  PutFormU32(hugeXml, 0x7FFFFFF0);
  bad.push_back(hugeXml + "<shape/>");
  for (const std::string& bytes : bad) {
    TdocShape shape;
    EXPECT_THROW(ShapesFromString(shape, bytes), EReadError) << bytes.size();
  }
  TdocShape untouched;
  ShapesFromString(untouched, "");
  EXPECT_EQ(untouched.GetShapeCount(), 0);
}

TEST_F(ShapeByteFormTest, BooleanTexts) {
  EXPECT_EQ(BoolToText(true), "True");
  EXPECT_EQ(BoolToText(false), "False");
  for (const char* t : {"True"}) EXPECT_TRUE(TextToBool(t));
  for (const char* t : {"true", "Yes", "", "1"}) EXPECT_FALSE(TextToBool(t));
  for (const char* t : {"true", "Yes", "y", "T"}) EXPECT_TRUE(LenientTextToBool(t));
  for (const char* t : {"", "False", "no", "1"}) EXPECT_FALSE(LenientTextToBool(t));
}

}  // namespace
