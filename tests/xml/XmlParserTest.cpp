// Reading XML text into trees, and documents in their character encodings.

#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "tests/xml/TestSupport.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

using namespace xmltest;

namespace {

const std::string kSample = ReadFile(LABEL_TEST_DATA_DIR "/sample.xml");

const std::string kText = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";  // é, euro sign, an emoji

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
    Loaded(doc, bytes);
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
      "<r a='1' b = \"x y\" c=\"a>b\" flag d=\"&lt;&#233;\">"
      "<a>&#233;</a><b>&foo;</b><c>&#x41;&#X42;&#67;&#x9;&#x1F600;&lt;&amp;lt;</c>"
      "<d>a &amp b</d><e>  two  words  </e><f>\r\n  first\r\n  <g/>\r\n  second  \r\n</f><h>x <i/>y </h></R>");
  const TXmlNode* r = doc.GetRoot();
  EXPECT_EQ(r->GetAttributesText(), " a='1' b=\"x y\" c=\"a>b\" flag d=\"&lt;&#233;\"");
  EXPECT_EQ(r->ReadAttrString("B"), "x y");
  EXPECT_EQ(r->GetAttributeName(3) + "=" + r->GetAttributeValue(3), "flag=");
  EXPECT_EQ(r->ReadAttrString("d"), "<\xC3\xA9");
  EXPECT_EQ(r->ReadChildString("a"), "\xC3\xA9");
  EXPECT_EQ(r->ReadChildString("b"), "&foo;");
  EXPECT_EQ(r->ReadChildString("c"), "ABC\t\xF0\x9F\x98\x80<&lt;");
  EXPECT_EQ(r->ReadChildString("d"), "a &amp b") << "an & without ; ends the resolution";
  EXPECT_EQ(r->FindChild("e")->GetValue(), "two  words");
  EXPECT_EQ(r->ReadChildString("e"), "  two  words  ") << "a text keeps its own blanks";
  EXPECT_EQ(r->FindChild("f")->GetValue(), "first");
  EXPECT_EQ(r->FindChild("f")->GetChild(1)->WriteToString(), "\r\n  second") << "trailing CR, LF and blanks go";
  EXPECT_EQ(r->FindChild("h")->GetChild(1)->WriteToString(), "y ") << "without CR nothing is trimmed";
}

// References to the characters XML 1.0 cannot carry raw resolve as any
// other: NUL and the other controls, U+FFFE and U+FFFF.
TEST(XmlParser, ReferencesToControlCharactersAndNoncharactersResolve) {
  TXmlDocument doc;
  doc.ReadFromString("<r a=\"&#0;&#x1d;\"><c>a&#0;b&#1;&#x1F;&#X4;</c><n>&#xFFFE;&#65535;</n></r>");
  EXPECT_EQ(doc.GetRoot()->ReadAttrString("a"), std::string("\0\x1D", 2));
  EXPECT_EQ(doc.GetRoot()->ReadChildString("c"), std::string("a\0b\x01\x1F\x04", 6));
  EXPECT_EQ(doc.GetRoot()->ReadChildString("n"), "\xEF\xBF\xBE\xEF\xBF\xBF");
}

// An element that holds only text and closes with its exact name is read at
// once; a close tag with a blank before ">" takes the general path. Both must
// give the same value, as written and as read.
TEST(XmlParser, TextOnlyElementsReadAsTheGeneralPathReadsThem) {
  for (const std::string& text : std::vector<std::string>{"", "x", " \r\n ", "a\r\nb \r\n", "a\nb\n ", "  two  words  ", "&lt;&#233;",
                                 "trailing CR\r", std::string(100, 'z') + "\r\n", "Caf\xC3\xA9"}) {
    TXmlDocument fast, general;
    fast.ReadFromString("<R><e>" + text + "</e><f/></R>");
    general.ReadFromString("<R><e>" + text + "</e ><f/></R>");
    const TXmlNode* a = fast.GetRoot()->FindChild("e");
    const TXmlNode* b = general.GetRoot()->FindChild("e");
    EXPECT_EQ(a->WriteToString(), b->WriteToString()) << text;
    EXPECT_EQ(a->GetValue(), b->GetValue()) << text;
    EXPECT_EQ(fast.GetRoot()->GetChildCount(), 2);
  }
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

TEST(XmlDocument, EveryWritableEncodingRoundTripsWithItsMark) {
  const std::pair<TXmlEncoding, std::string> encodings[] = {
      {xeUtf8, "<?"}, {xeUtf16BE, "\xFE\xFF"}, {xeUtf16LE, "\xFF\xFE"},
      {xeUtf16BENoBom, std::string("\0<", 2)}, {xeUtf16LENoBom, std::string("<\0", 2)}};
  for (const auto& [encoding, start] : encodings) {
    TXmlDocument doc("Root");
    doc.GetRoot()->SetValue(kText);
    doc.ExternalEncoding = encoding;
    const std::string bytes = Saved(doc);
    EXPECT_EQ(bytes.substr(0, 2), start);
    EXPECT_EQ(CanonicalByLibxml2(bytes), (std::vector<std::string>{"start Root", "text " + kText, "end"}));
    TXmlDocument back;
    EXPECT_EQ(Loaded(back, bytes), kText) << int{encoding};
    if (encoding == xeUtf16LE) {
      EXPECT_EQ(Saved(back).substr(0, 2), start) << "a file read with its mark is saved with it";
    }
  }
}

TEST(XmlDocument, EightBitUnmarkedAndMalformedInput) {
  TXmlDocument doc;
  EXPECT_EQ(Loaded(doc, "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>Caf\xE9 \x80</r>"),
            "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(doc.ExternalEncoding, xe8Bit);
  EXPECT_NE(Saved(doc).find("Caf\xE9 \x80"), std::string::npos);
  doc.GetRoot()->SetValue("\xE4\xB8\xAD");  // no Windows-1252 code: refused, never lost silently
  EXPECT_EQ(MessageOf([&] { Saved(doc); }), "Character not representable in windows-1252: \"\xE4\xB8\xAD\"");
  doc.GetContainer().DeleteChild(0);  // without a declaration 8-bit is Windows-1252
  EXPECT_EQ(MessageOf([&] { Saved(doc); }), "Character not representable in the 8-bit encoding");
  for (const std::string& bytes : {"<r>" + kText + "</r>", "\xEF\xBB\xBF<r>" + kText + "</r>",
                                   "<?xml version=\"1.0\" encoding=\"utf-8\"?><r>" + kText + "</r>"})
    EXPECT_EQ(Loaded(doc, bytes), kText);
  EXPECT_EQ(doc.ExternalEncoding, xeUtf8);

  const std::string value = Loaded(doc, "<r>a\xC3(b\xED\xA0\x80" "c\xFF</r>");
  EXPECT_EQ(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(value)), value) << "the tree holds well-formed UTF-8";
  EXPECT_NE(value.find("\xEF\xBF\xBD"), std::string::npos);
  const std::string loneSurrogate("\xFF\xFE<\0r\0>\0\x00\xD8x\0<\0/\0r\0>\0", 20);  // UTF-16 "<r>", D800, "x</r>"
  EXPECT_EQ(Loaded(doc, loneSurrogate), "\xEF\xBF\xBDx");
  for (const std::string& bytes :
       {std::string("\x00\x00\xFE\xFF", 4), std::string("\x3C\x00\x00\x00", 4), std::string("\x4C\x6F\xA7\x94")})
    EXPECT_EQ(MessageOf([&] { Loaded(doc, bytes); }), "Unsupported string encoding");
  doc.ExternalEncoding = xeUcs4LE;
  EXPECT_THROW(Saved(doc), EXmlError);
}

TEST(XmlDocument, CopiesAreDeepAndReloadingFreesTheEarlierTree) {
  TXmlDocument doc("Document");
  doc.GetRoot()->WriteChildFloat("Zoom", 1.5, 0);
  TXmlDocument copy;
  copy.Assign(&doc);
  doc.GetRoot()->WriteChildString("Zoom", "2");
  EXPECT_EQ(copy.GetRoot()->ReadChildString("Zoom"), "1.5");
  std::string big = "<r>";
  for (int i = 0; i < 10000; ++i) big += "<item>" + std::to_string(i) + "</item>";
  for (int i = 0; i < 50; ++i) doc.ReadFromString(big + "</r>");  // LeakSanitizer watches the pools
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 10000);
}
