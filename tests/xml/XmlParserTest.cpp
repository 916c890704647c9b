#include <gtest/gtest.h>

#include "tests/xml/TestSupport.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

using namespace xmltest;

namespace {

const std::string kSample = ReadFile(LABEL_TEST_DATA_DIR "/sample.xml");

std::string ParseError(const std::string& text, bool strict = false) {
  TXmlDocument doc;
  doc.StrictStructure = strict;
  return MessageOf([&] { doc.ReadFromString(text); });
}

}  // namespace

// The sample, its canonical and formatted forms by xmllint, and UTF-16 files
// with byte-order marks made by Python: our tree is libxml2's tree.
TEST(XmlParser, ReadsTheSameTreeAsLibxml2) {
  const auto toUtf16 = [](const std::string& codec) {  // this codec writes no mark: it is added below
    return RunCommand("python3 -c \"import sys; t=sys.stdin.read().replace('UTF-8','UTF-16'); "
                      "sys.stdout.buffer.write(t.encode('utf-16-" + codec + "'))\"", kSample);
  };
  const std::pair<std::string, TXmlEncoding> inputs[] = {
      {kSample, xeUtf8},
      {RunCommand("xmllint --c14n -", kSample), xeUtf8},
      {RunCommand("xmllint --format -", kSample), xeUtf8},
      {"\xFF\xFE" + toUtf16("le"), xeUtf16LE},
      {"\xFE\xFF" + toUtf16("be"), xeUtf16BE},
  };
  for (const auto& [bytes, encoding] : inputs) {
    ASSERT_GT(bytes.size(), 300u);
    TXmlDocument doc;
    BytesStream stream(bytes);
    doc.LoadFromStream(stream);
    EXPECT_EQ(Canonical(*doc.GetRoot()), CanonicalByLibxml2(bytes)) << bytes;
    EXPECT_EQ(doc.ExternalEncoding, encoding);
  }
}

TEST(XmlParser, WorkedExamplesValuesAndAttributes) {
  TXmlDocument doc;
  doc.ReadFromString("<a>x<b/>y</a>");
  EXPECT_EQ(doc.GetRoot()->GetValue(), "x");
  ASSERT_EQ(doc.GetRoot()->GetChildCount(), 2);
  EXPECT_EQ(doc.GetRoot()->GetChild(0)->GetName(), "b");
  EXPECT_EQ(doc.GetRoot()->GetChild(1)->GetKind(), nkCharData);
  EXPECT_EQ(doc.GetRoot()->GetChild(1)->GetValue(), "y");
  doc.ReadFromString(
      "<r a='1' b = \"x y\" c=\"a>b\" flag d=\"&lt;&#233;\"><a>&#233;</a><b>&foo;</b><c>&#x41;&#X42;&#67;&lt;&amp;lt;</c>"
      "<d>a &amp b</d><e>  two  words  </e><f>\r\n  first\r\n  <g/>\r\n  second  \r\n</f><h>x <i/>y </h></R>");
  const TXmlNode* r = doc.GetRoot();
  EXPECT_EQ(r->GetAttributesText(), " a='1' b=\"x y\" c=\"a>b\" flag d=\"&lt;&#233;\"");
  EXPECT_EQ(r->ReadAttrString("B"), "x y");
  EXPECT_EQ(r->GetAttributeName(3) + "=" + r->GetAttributeValue(3), "flag=");
  EXPECT_EQ(r->ReadAttrString("d"), "<\xC3\xA9");
  EXPECT_EQ(r->ReadChildString("a"), "\xC3\xA9");
  EXPECT_EQ(r->ReadChildString("b"), "&foo;");
  EXPECT_EQ(r->ReadChildString("c"), "ABC<&lt;");
  EXPECT_EQ(r->ReadChildString("d"), "a &amp b") << "an & without ; ends the resolution";
  EXPECT_EQ(r->ReadChildString("e"), "two  words");
  EXPECT_EQ(r->FindChild("f")->GetValue(), "first");
  EXPECT_EQ(r->FindChild("f")->GetChild(1)->WriteToString(), "\r\n  second") << "trailing CR, LF and blanks go";
  EXPECT_EQ(r->FindChild("h")->GetChild(1)->WriteToString(), "y ") << "without CR nothing is trimmed";
}

TEST(XmlParser, ErrorMessagesAndTheStrictStructure) {
  const std::tuple<std::string, bool, std::string> cases[] = {
      {"<A></B>", false, "Incorrect close tag in element A"},
      {"<A>< / a >", false, "no error"},
      {"<a><b>text", false, "Missing close tag in element b"},
      {"<a>text<", false, "Missing data after \"<\" in element a"},
      {"<a></a", false, "Missing \">\" in close tag of element a"},
      {"<a><>", false, "Missing element name"},
      {"<a b=\"1\"", false, "Missing close tag in element a"},
      {"<?xml version=\"1.0\"?><!-- only -->", false, "No root element found in xml"},
      {"", false, "No root element found in xml"},
      {"<a/><b/>", false, "no error"},
      {"<a/><b/>", true, "More than one root element found in xml"},
      {"<?xml version='1.0'?><?xml version='1.0'?><a/>", true, "More than one xml declaration found in xml"},
      {"<!--c--><?xml version='1.0'?><a/>", true, "Xml declaration must be first element"},
      {"<!DOCTYPE a><!DOCTYPE a><a/>", true, "More than one doctype declaration found in root"},
      {"<a/><!DOCTYPE a>", true, "Doctype declaration found after root element"},
      {"<![CDATA[x]]><a/>", true, "No CDATA allowed in root"},
  };
  for (const auto& [text, strict, message] : cases) EXPECT_EQ(ParseError(text, strict), message) << text;

  TXmlDocument doc;  // what was parsed before the error stays
  EXPECT_THROW(doc.ReadFromString("<r><a>1</a><b>2</b><c>unfinished"), EXmlError);
  EXPECT_EQ(doc.GetRoot()->ReadChildInteger("b", 0), 2);
  EXPECT_EQ(doc.GetRoot()->ReadChildString("c"), "unfinished");
}
