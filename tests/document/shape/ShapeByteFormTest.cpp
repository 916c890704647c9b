// The shape byte form against a reader and a writer made here from the
// layout table (32-bit little-endian counts and sizes, names, data, XML).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/document/TestShapes.h"
#include "document/shape/ShapeByteForm.h"
#include "platform/rtl/Exception.h"
#include "xml/XmlNode.h"

namespace {

using doctest::MakeFill;
using doctest::TFillShape;
using doctest::TPageFixture;
using doctest::TResourceShape;

struct TParsedForm {
  std::vector<std::pair<std::string, std::string>> Resources;
  std::string Xml;
};

std::uint32_t ReadU32(const std::string& bytes, std::size_t& at) {
  if (at + 4 > bytes.size()) throw std::runtime_error("short");
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
  at += 4;
  return v;
}

std::string ReadPart(const std::string& bytes, std::size_t& at) {
  const std::uint32_t size = ReadU32(bytes, at);
  if (at + size > bytes.size()) throw std::runtime_error("short");
  std::string part = bytes.substr(at, size);
  at += size;
  return part;
}

TParsedForm Parse(const std::string& bytes) {
  TParsedForm form;
  std::size_t at = 0;
  const std::uint32_t count = ReadU32(bytes, at);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string name = ReadPart(bytes, at);
    form.Resources.emplace_back(std::move(name), ReadPart(bytes, at));
  }
  form.Xml = ReadPart(bytes, at);
  EXPECT_EQ(at, bytes.size());
  return form;
}

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i) & 0xFF);
}

std::string Build(const TParsedForm& form) {
  std::string out;
  PutU32(out, static_cast<std::uint32_t>(form.Resources.size()));
  for (const auto& [name, data] : form.Resources) {
    PutU32(out, static_cast<std::uint32_t>(name.size()));
    out += name;
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    out += data;
  }
  PutU32(out, static_cast<std::uint32_t>(form.Xml.size()));
  return out + form.Xml;
}

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
  const TParsedForm form = Parse(bytes);
  EXPECT_TRUE(form.Resources.empty());
  EXPECT_NE(form.Xml.find("<shape><ClassName>TFillShape</ClassName>"), std::string::npos);
}

TEST_F(ShapeByteFormTest, ResourcesTravelWithTheShapeAndMissingOnesAreEmptyRecords) {
  Store("logo.png", "PNGDATA");
  TResourceShape& shape = AddResourceShape("logo.png");
  shape.AddShape(std::make_unique<TResourceShape>());
  static_cast<TResourceShape*>(shape.GetShapes(0))->Stream = "gone.png";
  const TParsedForm form = Parse(ShapesToString(shape));
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
  ShapesFromString(shape, Build(form));
  EXPECT_EQ(shape.GetDocLeft(), 7.5f);
  EXPECT_EQ(shape.Stream, "a.bin");
  EXPECT_EQ(Stored("a.bin"), "AAA");
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
  ShapesFromString(pasted, Build(hostile));
  EXPECT_EQ(Stored("Index.xml"), "DOCUMENT");
  EXPECT_EQ(Stored(pasted.Stream), "EVIL");
}

TEST_F(ShapeByteFormTest, WithoutAContainerTheShapeLoadsAndItsDataIsDropped) {
  TResourceShape shape;  // no document
  ShapesFromString(shape, Build({{{"x.bin", "X"}}, "<shape><Stream>x.bin</Stream><Tag>9</Tag></shape>"}));
  EXPECT_EQ(shape.Tag, 9);
  EXPECT_FALSE(Document.GetStorage()->StreamExists("x.bin"));
}

TEST_F(ShapeByteFormTest, ShortOrLyingStringsRaiseTheStreamReadError) {
  const std::string good = ShapesToString(*MakeFill(1, 2, 3, 4));
  std::vector<std::string> bad;
  for (std::size_t cut : {std::size_t{2}, std::size_t{6}, good.size() - 1}) bad.push_back(good.substr(0, cut));
  std::string hugeCount;
  PutU32(hugeCount, 0x7FFFFFFF);
  bad.push_back(hugeCount + std::string(16, '\0'));
  std::string hugeXml;
  PutU32(hugeXml, 0);
  PutU32(hugeXml, 0x7FFFFFF0);
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
