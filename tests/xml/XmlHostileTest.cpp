// Input that is broken or built to hurt: every case ends in a clear error or
// a sound tree, never a hang, a crash or memory without bound.

#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/Strings.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

bool IsWellFormedUtf8(const std::string& text) { return rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(text)) == text; }

std::string ErrorOf(const std::string& text) {
  TXmlDocument doc;
  try {
    doc.ReadFromString(text);
  } catch (const EXmlError& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace

TEST(XmlHostile, EveryTruncationEndsCleanly) {
  const std::string full =
      "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY e \"v\">]><r a=\"1\" b='x>y'><!-- c --><![CDATA[d]]>"
      "<?p q?><s>t&amp;u</s>text<e/></r>";
  for (std::size_t n = 0; n < full.size(); ++n) {
    TXmlDocument doc;
    try {
      doc.ReadFromString(full.substr(0, n));
    } catch (const EXmlError&) {
    }
  }
  TXmlDocument doc;
  EXPECT_NO_THROW(doc.ReadFromString(full));
}

TEST(XmlHostile, StrayTextAtTopLevelIsAnError) {
  EXPECT_EQ(ErrorOf("<a/>x"), "Unexpected text at the top level of the xml (position 4)");
  EXPECT_EQ(ErrorOf("x<a/>"), "Unexpected text at the top level of the xml (position 0)");
  EXPECT_EQ(ErrorOf(std::string("<a/>\0", 5)), "Unexpected text at the top level of the xml (position 4)");
  EXPECT_EQ(ErrorOf("\xEF\xBB\xBF<a/>"), "no error");
}

TEST(XmlHostile, HundredThousandLevelsDeep) {
  constexpr int kDepth = 100000;
  std::string text;
  for (int i = 0; i < kDepth; ++i) text += "<d>";
  text += "bottom";
  for (int i = 0; i < kDepth; ++i) text += "</d>";
  TXmlDocument doc;
  doc.ReadFromString(text);
  const TXmlNode* node = doc.GetRoot();
  int depth = 1;
  while (node->GetChildCount() > 0) {
    node = node->GetChild(0);
    ++depth;
  }
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(node->GetValue(), "bottom");
  EXPECT_EQ(doc.GetRoot()->WriteToString(), text);
  TXmlDocument copy;
  copy.Assign(&doc);
  EXPECT_EQ(copy.GetRoot()->WriteToString(), text);
  // Unclosed, the same depth is an error and what was read is freed cleanly.
  EXPECT_EQ(ErrorOf(text.substr(0, 3 * kDepth)), "Missing close tag in element d");
}

// Indentation grows with depth, so the readable layout of a deep tree is
// checked at a depth whose text stays small.
TEST(XmlHostile, DeepTreesInTheReadableLayout) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "<d>";
  for (int i = 0; i < 2000; ++i) text += "</d>";
  TXmlDocument doc;
  doc.ReadFromString(text);
  doc.Layout = xlReadable;
  const std::string readable = doc.GetRoot()->WriteToString();
  TXmlDocument again;
  again.ReadFromString(readable);
  again.Layout = xlReadable;
  EXPECT_EQ(again.GetRoot()->WriteToString(), readable);
}

TEST(XmlHostile, InvalidCharacterReferencesStayAsWritten) {
  TXmlDocument doc;
  doc.ReadFromString(
      "<r><a>&#0;</a><b>&#xD800;</b><c>&#xDFFF;&#xD83D;&#xDE00;</c><d>&#xFFFE;&#x110000;</d>"
      "<e>&#99999999999999999999;&#;&#x;&#-5;&#x1G;</e><f>&#1;&#x9;&#x1F600;</f></r>");
  const TXmlNode* r = doc.GetRoot();
  EXPECT_EQ(r->ReadChildString("a"), "&#0;");
  EXPECT_EQ(r->ReadChildString("b"), "&#xD800;");
  EXPECT_EQ(r->ReadChildString("c"), "&#xDFFF;&#xD83D;&#xDE00;") << "surrogate halves never pair up";
  EXPECT_EQ(r->ReadChildString("d"), "&#xFFFE;&#x110000;");
  EXPECT_EQ(r->ReadChildString("e"), "&#99999999999999999999;&#;&#x;&#-5;&#x1G;");
  EXPECT_EQ(r->ReadChildString("f"), "&#1;\t\xF0\x9F\x98\x80");
  for (int i = 0; i < r->GetChildCount(); ++i) EXPECT_TRUE(IsWellFormedUtf8(r->GetChild(i)->GetValue()));
  EXPECT_EQ(r->FindChild("a")->ReadChildWideString("x", u"") , u"");
}

TEST(XmlHostile, HugeAttributeCountsAndSiblings) {
  std::string text = "<r";
  for (int i = 0; i < 200000; ++i) text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  text += ">";
  for (int i = 0; i < 200000; ++i) text += "<s/>";
  text += "</r>";
  TXmlDocument doc;
  doc.ReadFromString(text);
  EXPECT_EQ(doc.GetRoot()->GetAttributeCount(), 200000);
  EXPECT_EQ(doc.GetRoot()->ReadAttrInteger("a199999", 0), 199999);
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 200000);
}

TEST(XmlHostile, MarkupWithoutEnd) {
  EXPECT_EQ(ErrorOf(std::string(100000, '<')).substr(0, 30), "Missing close tag in element <");
  EXPECT_EQ(ErrorOf("<r>" + std::string(100000, '<')).substr(0, 30), "Missing close tag in element <");
  EXPECT_EQ(ErrorOf("<r a=\"" + std::string(100000, 'x')), "Missing close tag in element r");
  EXPECT_EQ(ErrorOf("<r/><!-- never closed"), "no error");
  EXPECT_EQ(ErrorOf("<r><![CDATA[never closed"), "Missing close tag in element r");
  EXPECT_EQ(ErrorOf("<!DOCTYPE r [<!ENTITY x 'y'"), "No root element found in xml");
  EXPECT_EQ(ErrorOf("<!DOCTYPE r [ %pe; junk <r/>"), "No root element found in xml");
}

TEST(XmlHostile, BinaryValuesFromTheFileAreCheckedAgainstTheSizeAsked) {
  TXmlDocument doc;
  doc.ReadFromString("<r><b64>QUJD</b64><bad>QU!D</bad><short>QUJ</short><hex>41424</hex></r>");
  char out[8] = {};
  EXPECT_THROW(doc.GetRoot()->FindChild("b64")->DecodeBinaryValue(out, 8), EXmlError);
  EXPECT_THROW(doc.GetRoot()->FindChild("bad")->DecodeBinaryValue(out, 3), EXmlError);
  EXPECT_THROW(doc.GetRoot()->FindChild("short")->DecodeBinaryValue(out, 2), EXmlError);
  doc.BinaryEncoding = xbBinHex;
  EXPECT_THROW(doc.GetRoot()->FindChild("hex")->DecodeBinaryValue(out, 3), EXmlError);
  doc.GetRoot()->FindChild("hex")->DecodeBinaryValue(out, 2);
  EXPECT_EQ(std::string(out, 2), "AB");
}
