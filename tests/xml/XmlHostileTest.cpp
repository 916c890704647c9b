// Input that is broken or built to hurt: every case ends in a clear error or
// a sound tree, never a hang, a crash or memory without bound.

#include <gtest/gtest.h>

#include "tests/xml/TestSupport.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

using namespace xmltest;

namespace {

std::string ErrorOf(const std::string& text) {
  TXmlDocument doc;
  return MessageOf([&] { doc.ReadFromString(text); });
}

}  // namespace

TEST(XmlHostile, TruncatedAndEndlessMarkupEndsInAnError) {
  const std::string full =
      "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY e \"v\">]><r a=\"1\" b='x>y'><!-- c --><![CDATA[d]]>"
      "<?p q?><s>t&amp;u</s>text<e/></r>";
  for (std::size_t n = 0; n < full.size(); ++n) EXPECT_NE(ErrorOf(full.substr(0, n)), "no error") << n;
  EXPECT_EQ(ErrorOf(full), "no error");

  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF<a/>", "no error"},
      {std::string(100000, '<'), "Missing close tag in element <"},
      {"<r>" + std::string(100000, '<'), "Missing close tag in element <"},
      {"<r a=\"" + std::string(100000, 'x'), "Missing close tag in element r"},
      {"<r><![CDATA[never closed", "Missing close tag in element r"},
      {"<!DOCTYPE r [<!ENTITY x 'y'", "No root element found in xml"},
      {"<!DOCTYPE r [ %pe; junk <r/>", "No root element found in xml"},
  };
  for (const auto& [text, message] : cases) EXPECT_TRUE(ErrorOf(text).starts_with(message)) << text.substr(0, 20);
}

TEST(XmlHostile, HundredThousandLevelsDeep) {
  std::string open, close;
  for (int i = 0; i < 100000; ++i) open += "<d>", close += "</d>";
  const std::string text = open + "bottom" + close;
  TXmlDocument doc;
  doc.ReadFromString(text);
  const TXmlNode* node = doc.GetRoot();
  int depth = 1;
  for (; node->GetChildCount() > 0; ++depth) node = node->GetChild(0);
  EXPECT_EQ(depth, 100000);
  EXPECT_EQ(node->GetValue(), "bottom");
  EXPECT_EQ(doc.GetRoot()->WriteToString(), text);
  TXmlDocument copy;
  copy.Assign(&doc);
  EXPECT_EQ(copy.GetRoot()->WriteToString(), text);
  EXPECT_EQ(ErrorOf(text.substr(0, 3 * 100000)), "Missing close tag in element d");
}

TEST(XmlHostile, ReferencesToNoCharacterStayAsWritten) {
  const std::string kept[] = {"&#xD800;", "&#xDFFF;&#xD83D;&#xDE00;", "&#55296;", "&#x110000;&#1114112;",
                              "&#99999999999999999999;&#;&#x;&#-5;&#x1G;"};
  for (const std::string& text : kept) {
    TXmlDocument doc;
    doc.ReadFromString("<r a=\"" + text + "\">" + text + "</r>");
    EXPECT_EQ(doc.GetRoot()->GetValue(), text);
    EXPECT_EQ(doc.GetRoot()->ReadAttrString("a"), text);
  }
}

TEST(XmlHostile, HugeAttributeCountsAndSiblings) {
  std::string text = "<r";
  for (int i = 0; i < 200000; ++i) text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  for (int i = 0; i < 200000; ++i) text += i ? "<s/>" : "><s/>";
  TXmlDocument doc;
  doc.ReadFromString(text + "</r>");
  EXPECT_EQ(doc.GetRoot()->GetAttributeCount(), 200000);
  EXPECT_EQ(doc.GetRoot()->ReadAttrInteger("a199999", 0), 199999);
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 200000);
}
