#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/xml/TreeOracle.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

std::string ReadFile(const std::string& name) {
  std::ifstream in(std::string(LABEL_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string ParseError(const std::string& text, bool strict = false) {
  TXmlDocument doc;
  doc.StrictStructure = strict;
  try {
    doc.ReadFromString(text);
  } catch (const EXmlError& e) {
    return e.what();
  }
  return "no error";
}

// Our tree of the text must be libxml2's tree of the same text.
void ExpectSameTreeAsLibxml2(const std::string& text) {
  bool ok = false;
  std::string error;
  const auto expected = xmltest::CanonicalByLibxml2(text, ok, &error);
  ASSERT_TRUE(ok) << error;
  TXmlDocument doc;
  doc.ReadFromString(text);
  EXPECT_EQ(xmltest::Canonical(*doc.GetRoot()), expected);
}

}  // namespace

TEST(XmlParser, MixedContent) {
  TXmlDocument doc;
  doc.ReadFromString("<a>x<b/>y</a>");
  TXmlNode* a = doc.GetRoot();
  EXPECT_EQ(a->GetValue(), "x");
  ASSERT_EQ(a->GetChildCount(), 2);
  EXPECT_EQ(a->GetChild(0)->GetName(), "b");
  EXPECT_EQ(a->GetChild(1)->GetKind(), nkCharData);
  EXPECT_EQ(a->GetChild(1)->GetValue(), "y");
}

TEST(XmlParser, CloseTagsCompareWithoutRegardToCase) {
  TXmlDocument doc;
  doc.ReadFromString("<A></a>");
  EXPECT_EQ(doc.GetRoot()->GetName(), "A");
  EXPECT_EQ(ParseError("<A></B>"), "Incorrect close tag in element A");
  EXPECT_EQ(ParseError("<A>< / a >"), "no error");
}

TEST(XmlParser, EntitiesAndCharacterReferences) {
  TXmlDocument doc;
  doc.ReadFromString("<r><a>&#233;</a><b>&foo;</b><c>&#x41;&#X42;&#67;&lt;&amp;lt;</c><d>a &amp b</d></r>");
  EXPECT_EQ(doc.GetRoot()->ReadChildString("a"), "\xC3\xA9");
  EXPECT_EQ(doc.GetRoot()->ReadChildString("b"), "&foo;");
  EXPECT_EQ(doc.GetRoot()->ReadChildString("c"), "ABC<&lt;");
  EXPECT_EQ(doc.GetRoot()->ReadChildString("d"), "a &amp b") << "an & without ; ends the resolution";
}

TEST(XmlParser, ValuesKeepInnerWhiteSpaceAndTrimLineEndsOfCharacterData) {
  TXmlDocument doc;
  doc.ReadFromString("<r><a>  two  words  </a><b>\r\n  first\r\n  <c/>\r\n  second  \r\n</b><d>x <e/>y </d></r>");
  EXPECT_EQ(doc.GetRoot()->ReadChildString("a"), "two  words");
  const TXmlNode* b = doc.GetRoot()->FindChild("b");
  EXPECT_EQ(b->GetValue(), "first");
  ASSERT_EQ(b->GetChildCount(), 2);
  EXPECT_EQ(b->GetChild(1)->WriteToString(), "\r\n  second") << "trailing CR, LF and blanks go, leading stay";
  const TXmlNode* d = doc.GetRoot()->FindChild("d");
  EXPECT_EQ(d->GetChild(1)->WriteToString(), "y ") << "without CR nothing is trimmed";
}

TEST(XmlParser, AttributesAsWritten) {
  TXmlDocument doc;
  doc.ReadFromString("<r a='1' b = \"x y\" c=\"a>b\" flag d=\"&lt;&#233;\"/>");
  TXmlNode* r = doc.GetRoot();
  ASSERT_EQ(r->GetAttributeCount(), 5);
  EXPECT_EQ(r->GetAttributesText(), " a='1' b=\"x y\" c=\"a>b\" flag d=\"&lt;&#233;\"");
  EXPECT_EQ(r->ReadAttrString("a"), "1");
  EXPECT_EQ(r->ReadAttrString("B"), "x y");
  EXPECT_EQ(r->ReadAttrString("c"), "a>b");
  EXPECT_EQ(r->GetAttributeName(3), "flag");
  EXPECT_EQ(r->GetAttributeValue(3), "");
  EXPECT_EQ(r->ReadAttrString("d"), "<\xC3\xA9");
}

TEST(XmlParser, OtherConstructs) {
  TXmlDocument doc;
  doc.ReadFromString(
      "<?xml version='1.0'?><!DOCTYPE note SYSTEM \"note.dtd\"\r\n  [<!ENTITY w \"World\"> %pe; <!-- dtd -->]>"
      "<note><!-- c --><![CDATA[<raw & stuff>]]><?target some data?><!weird thing></note>");
  TXmlNode& top = doc.GetContainer();
  ASSERT_EQ(top.GetChildCount(), 3);
  EXPECT_EQ(top.GetChild(0)->GetKind(), nkDeclaration);
  EXPECT_EQ(top.GetChild(0)->GetName(), "xml");
  const TXmlNode* docType = top.GetChild(1);
  EXPECT_EQ(docType->GetKind(), nkDocType);
  EXPECT_EQ(docType->GetName(), "note");
  EXPECT_EQ(docType->GetValue(), "SYSTEM \"note.dtd\"");
  ASSERT_EQ(docType->GetChildCount(), 2);
  EXPECT_EQ(docType->GetChild(0)->GetKind(), nkEntityDecl);
  EXPECT_EQ(docType->GetChild(0)->GetName(), "w");
  EXPECT_EQ(docType->GetChild(0)->GetValue(), "\"World\"");
  EXPECT_EQ(docType->GetChild(1)->GetKind(), nkComment);
  const TXmlNode* note = doc.GetRoot();
  ASSERT_EQ(note->GetChildCount(), 4);
  EXPECT_EQ(note->GetChild(0)->GetName(), "Comment");
  EXPECT_EQ(note->GetChild(0)->GetValue(), " c ");
  EXPECT_EQ(note->GetChild(1)->GetName(), "CData");
  EXPECT_EQ(note->GetChild(1)->WriteToString(), "<![CDATA[<raw & stuff>]]>");
  EXPECT_EQ(note->GetChild(2)->GetKind(), nkInstruction);
  EXPECT_EQ(note->GetChild(2)->GetName(), "Special");
  EXPECT_EQ(note->GetChild(3)->GetKind(), nkSpecial);
  EXPECT_EQ(note->GetChild(3)->WriteToString(), "<!weird thing>");
}

TEST(XmlParser, StyleSheetKeepsItsAttributes) {
  TXmlDocument doc;
  doc.ReadFromString("<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\" ?><r/>");
  const TXmlNode* sheet = doc.GetContainer().GetChild(0);
  EXPECT_EQ(sheet->GetKind(), nkStyleSheet);
  EXPECT_EQ(sheet->GetValue(), "type=\"text/xsl\" href=\"s.xsl\"");
  EXPECT_EQ(sheet->ReadAttrString("href"), "s.xsl");
  EXPECT_EQ(sheet->WriteToString(), "<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>");
}

TEST(XmlParser, DropCommentsOnlyInsideElements) {
  TXmlDocument doc;
  doc.DropComments = true;
  doc.ReadFromString("<!--top--><r><!--gone-->text<a/></r>");
  EXPECT_EQ(doc.GetContainer().GetChild(0)->GetKind(), nkComment);
  EXPECT_EQ(doc.GetRoot()->GetValue(), "text");
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 1);
}

TEST(XmlParser, ErrorMessages) {
  EXPECT_EQ(ParseError("<a><b></a>"), "Incorrect close tag in element b");
  EXPECT_EQ(ParseError("<a><b>text"), "Missing close tag in element b");
  EXPECT_EQ(ParseError("<a>text<"), "Missing data after \"<\" in element a");
  EXPECT_EQ(ParseError("<a></a"), "Missing \">\" in close tag of element a");
  EXPECT_EQ(ParseError("<a><>"), "Missing element name");
  EXPECT_EQ(ParseError("<a b=\"1\""), "Missing close tag in element a");
  EXPECT_EQ(ParseError("<?xml version=\"1.0\"?><!-- only -->"), "No root element found in xml");
  EXPECT_EQ(ParseError(""), "No root element found in xml");
}

TEST(XmlParser, StrictStructure) {
  EXPECT_EQ(ParseError("<a/><b/>", true), "More than one root element found in xml");
  EXPECT_EQ(ParseError("<?xml version='1.0'?><?xml version='1.0'?><a/>", true),
            "More than one xml declaration found in xml");
  EXPECT_EQ(ParseError("<!--c--><?xml version='1.0'?><a/>", true), "Xml declaration must be first element");
  EXPECT_EQ(ParseError("<!DOCTYPE a><!DOCTYPE a><a/>", true), "More than one doctype declaration found in root");
  EXPECT_EQ(ParseError("<a/><!DOCTYPE a>", true), "Doctype declaration found after root element");
  EXPECT_EQ(ParseError("<![CDATA[x]]><a/>", true), "No CDATA allowed in root");
  EXPECT_EQ(ParseError("<a/><b/>", false), "no error");
}

TEST(XmlParser, KeepsWhatWasParsedOnError) {
  TXmlDocument doc;
  EXPECT_THROW(doc.ReadFromString("<r><a>1</a><b>2</b><c>unfinished"), EXmlError);
  ASSERT_NE(doc.GetRoot(), nullptr);
  EXPECT_EQ(doc.GetRoot()->ReadChildInteger("a", 0), 1);
  EXPECT_EQ(doc.GetRoot()->ReadChildInteger("b", 0), 2);
  EXPECT_EQ(doc.GetRoot()->ReadChildString("c"), "unfinished");
}

TEST(XmlParser, EventsFireForNodes) {
  TXmlDocument doc;
  std::vector<std::string> added, loaded;
  doc.OnNodeNew = [&](TXmlDocument&, TXmlNode& n) { added.emplace_back(n.GetName()); };
  doc.OnNodeLoaded = [&](TXmlDocument&, TXmlNode& n) { loaded.emplace_back(n.GetName()); };
  doc.ReadFromString("<?xml version='1.0'?><r><a/><b>x</b></r>");
  EXPECT_EQ(added, (std::vector<std::string>{"xml", "r", "a", "b"}));
  EXPECT_EQ(loaded, (std::vector<std::string>{"xml", "a", "b", "r"}));
}

TEST(XmlParser, SampleMatchesLibxml2) { ExpectSameTreeAsLibxml2(ReadFile("sample.xml")); }

TEST(XmlParser, CanonicalXmlFromXmllint) {
  const std::string c14n = xmltest::RunCommand("xmllint --c14n -", ReadFile("sample.xml"));
  ASSERT_NE(c14n.find("<Document"), std::string::npos);
  ASSERT_EQ(c14n.find("<?xml "), std::string::npos) << "canonical XML has no declaration";
  ExpectSameTreeAsLibxml2(c14n);
  TXmlDocument doc;
  doc.ReadFromString(c14n);
  EXPECT_EQ(doc.GetRoot()->ReadChildString("Title"), "Caf\xC3\xA9 & th\xC3\xA9 \xF0\x9F\x98\x80 <ok> \xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9");
  EXPECT_EQ(doc.GetRoot()->FindChild("Quote")->ReadAttrString("tab"), "a\tb");
}

TEST(XmlParser, FormattedXmlFromXmllint) {
  const std::string formatted = xmltest::RunCommand("xmllint --format -", ReadFile("sample.xml"));
  ASSERT_NE(formatted.find("<Document"), std::string::npos);
  ExpectSameTreeAsLibxml2(formatted);
}

TEST(XmlParser, Utf16FilesWithByteOrderMarks) {
  for (const char* codec : {"utf-16-le", "utf-16-be"}) {
    const std::string script = std::string("python3 -c \"import sys; t=sys.stdin.read().replace('UTF-8','UTF-16'); ") +
                               "bom=b'\\xff\\xfe' if '" + codec + "'.endswith('le') else b'\\xfe\\xff'; " +
                               "sys.stdout.buffer.write(bom+t.encode('" + codec + "'))\"";
    const std::string bytes = xmltest::RunCommand(script, ReadFile("sample.xml"));
    ASSERT_GT(bytes.size(), 100u);
    bool ok = false;
    const auto expected = xmltest::CanonicalByLibxml2(bytes, ok);
    ASSERT_TRUE(ok) << codec;
    TXmlDocument doc;
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    doc.LoadFromStream(stream);
    EXPECT_EQ(xmltest::Canonical(*doc.GetRoot()), expected) << codec;
    EXPECT_EQ(doc.ExternalEncoding, std::string(codec) == "utf-16-le" ? xeUtf16LE : xeUtf16BE);
  }
}
