// The node tree and the typed values of nodes.

#include "xml/XmlNode.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exception.h"
#include "tests/xml/TestSupport.h"
#include "xml/XmlDocument.h"

using namespace xmltest;

TEST(XmlNode, MovedNodesFollowTheirNewDocumentAndOutliveTheOld) {
  std::unique_ptr<TXmlNode> kept;
  {
    TXmlDocument doc;
    doc.ReadFromString("<Root><Keep a=\"1\">value<Inner>x</Inner></Keep></Root>");
    kept = doc.GetRoot()->DetachChild(doc.GetRoot()->GetChild(0));
  }
  EXPECT_EQ(kept->WriteToString(), "<Keep a=\"1\">value<Inner>x</Inner></Keep>");
  TXmlDocument other("Other");
  EXPECT_EQ(other.GetRoot()->AppendChild(std::move(kept)), 0);
  EXPECT_EQ(other.GetRoot()->GetChild(0)->FindChild("Inner")->GetDocument(), &other);
  auto top = TXmlNode::CreateNamed(nullptr, "top");
  TXmlNode* child = top->AddChild("child");
  EXPECT_THROW(child->AppendChild(std::move(top)), EXmlError) << "a node cannot become its own descendant";
}

TEST(XmlNode, NamesWithWhiteSpaceOrMarkupCharactersAreRefused) {
  auto node = TXmlNode::Create(nullptr);
  for (const char* bad : {"a b", "a\tb", "a\nb", "a\rb", "a<b", "a>b", "a&b", "a\"b", "a'b", "a=b", "a/b"})
    EXPECT_EQ(MessageOf([&] { node->SetName(bad); }), std::string("Illegal character in node name \"") + bad + "\"");
  node->SetName("Nom-\xC3\xA9l\xC3\xA9ment_1.x");
  EXPECT_EQ(node->GetName(), "Nom-\xC3\xA9l\xC3\xA9ment_1.x");
  EXPECT_THROW(node->AddChild("two words"), EXmlError);
  EXPECT_THROW(node->AddAttribute("x=y", "1"), EXmlError);
  EXPECT_TRUE(node->IsEmpty());
}

TEST(XmlNode, ValuesAndAttributesAreStoredEscapedAndReadResolved) {
  auto node = TXmlNode::CreateNamed(nullptr, "v");
  node->SetValue("  a&b<c>d'e\"f \r\n");
  EXPECT_EQ(node->WriteToString(), "<v>  a&amp;b&lt;c&gt;d&apos;e&quot;f &#13;\n</v>") << "a CR written as it is reads as LF";
  EXPECT_EQ(node->GetValue(), "a&b<c>d'e\"f");
  node->AddAttribute("Name", "x\"y&z\t1\r\n2");
  node->AddAttributeInteger("Count", -5);
  EXPECT_EQ(node->GetAttributesText(), " Name=\"x&quot;y&amp;z&#9;1&#13;&#10;2\" Count=\"-5\"");
  EXPECT_EQ(node->ReadAttrString("NAME"), "x\"y&z\t1\r\n2");
  EXPECT_EQ(MessageOf([&] { node->GetAttributeName(2); }), "List index out of bounds");
  node->WriteAttrInteger("count", 7, 0);
  EXPECT_EQ(node->GetAttributeCount(), 2);
  EXPECT_EQ(node->ReadAttrInteger("Count", 0), 7);
}

TEST(XmlNode, AssignCopiesTheWholeSubtreeEvenIntoItsOwnDescendant) {
  TXmlDocument source;
  source.ReadFromString("<R a='1'>v<!--c--><K><L>deep</L></K>tail</R>");
  auto copy = TXmlNode::Create(nullptr);
  copy->Assign(source.GetRoot());
  EXPECT_EQ(copy->WriteToString(), source.GetRoot()->WriteToString());
  TXmlNode* k = source.GetRoot()->FindChild("K");
  k->Assign(source.GetRoot());  // into its own descendant, then from it
  EXPECT_EQ(k->FindChild("K")->FindChild("L")->GetValue(), "deep");
  source.GetRoot()->Assign(k->FindChild("K"));
  EXPECT_EQ(source.GetRoot()->WriteToString(), "<K><L>deep</L></K>");
  EXPECT_THROW(copy->Assign(&source), EConvertError);
}

TEST(XmlValues, TextsWrittenAndDefaults) {
  TXmlDocument doc("R");
  TXmlNode* root = doc.GetRoot();
  root->WriteChildBool("Visible", false, false);  // defaults are written unless asked otherwise
  root->WriteAttrBool("On", true, false);
  root->WriteChildColor("White", clWhite);
  root->WriteChildColor("System", clBtnFace);  // stored as the RGB of the classic button face
  root->WriteChildHex("Hex", 0xAB, 4, 0);
  root->WriteChildHex("Wide", -1, 2, 0);
  root->WriteChildInt64("Big", 9007199254740993ll, 0);
  root->WriteChildFloat("F", 12.5, 0);
  doc.FloatDigits = 3;
  root->WriteAttrFloat("A", 3.14159, 0);
  root->WriteChildWideString("W", u"Caf\u00E9 \U0001F600 <&>");
  doc.WriteDefaults = false;
  root->WriteChildInteger("Same", 3, 3);
  root->WriteAttrFloat("SameA", 1.5, 1.5);
  EXPECT_EQ(root->WriteToString(),
            "<R On=\"true\" A=\"3.14\"><Visible>False</Visible><White>$00FFFFFF</White><System>$00C8D0D4</System>"
            "<Hex>$00AB</Hex><Wide>$FFFFFFFF</Wide><Big>9007199254740993</Big><F>12.5</F>"
            "<W>Caf\xC3\xA9 \xF0\x9F\x98\x80 &lt;&amp;&gt;</W></R>");
  EXPECT_EQ(root->ReadChildWideString("W"), u"Caf\u00E9 \U0001F600 <&>");
  EXPECT_EQ(root->ReadChildColor("White", clBlack), clWhite);
}

TEST(XmlValues, TextsRead) {
  TXmlDocument doc;
  doc.ReadFromString("<R A=\"maybe\"><Y>yes</Y><N>No</N><Zero>0</Zero><Empty/><Comma>3,5</Comma><Bad>12x</Bad></R>");
  const TXmlNode* root = doc.GetRoot();
  EXPECT_TRUE(root->ReadChildBool("Y", false) && !root->ReadChildBool("N", true) && root->ReadChildBool("Empty", true));
  EXPECT_TRUE(root->ReadChildBool("Zero", true) && !root->ReadChildBool("Zero", false));
  EXPECT_FALSE(root->ReadAttrBool("A", false)) << "attributes are strict";
  EXPECT_EQ(root->ReadChildFloat("Comma", 0), 3.5);
  EXPECT_EQ(root->ReadChildFloat("Bad", 1.25), 1.25);
  EXPECT_EQ(root->ReadChildInteger("Bad", 42), 42);
  EXPECT_EQ(root->ReadChildInteger("Missing", 9), 9);
}

// A text keeps the blanks, tabs and line ends at its ends through a file in
// either layout; names and numbers around which a file has white space
// still read as they did.
TEST(XmlValues, StringsKeepTheirOwnWhiteSpace) {
  const std::string padded = "  two\r\nlines\t ";
  const std::u16string wide = u"\t\u00E9t\u00E9  ";
  for (TXmlLayout layout : {xlCompact, xlReadable}) {
    TXmlDocument doc("R");
    doc.Layout = layout;
    doc.GetRoot()->WriteChildString("Text", padded, "");
    doc.GetRoot()->WriteChildWideString("Wide", wide, u"");
    TXmlDocument back;
    back.ReadFromString(doc.WriteToString());
    EXPECT_EQ(back.GetRoot()->ReadChildString("Text"), padded);
    EXPECT_EQ(back.GetRoot()->ReadChildWideString("Wide"), wide);
    EXPECT_EQ(back.GetRoot()->FindChild("Text")->GetValue(), "two\r\nlines");
  }
  TXmlDocument spaced;
  spaced.ReadFromString("<R><N> 12 </N><B> True </B></R>");
  EXPECT_EQ(spaced.GetRoot()->ReadChildInteger("N", 0), 12);
  EXPECT_TRUE(spaced.GetRoot()->ReadChildBool("B", false));
}

TEST(XmlValues, DateTimes) {
  TXmlDocument doc("R");
  TXmlNode* root = doc.GetRoot();
  const TDateTime date = rtl::EncodeDate(2024, 2, 29), moment = date + rtl::EncodeTime(13, 5, 9, 45);
  root->WriteChildDateTime("D", date, 0);
  root->WriteChildDateTime("M", moment, 0);
  EXPECT_EQ(root->ReadChildString("D"), "2024-02-29");
  EXPECT_EQ(root->ReadChildString("M"), "2024-02-29T13:05:09.045Z");
  EXPECT_NEAR(root->ReadChildDateTime("M", -1), moment, 1e-9);
  const std::pair<const char*, TDateTime> texts[] = {
      {"2024-02-29", date}, {"2024-02-29T13:05", date},  // hours and minutes need 17 characters
      {"2024-02-29T13:05:09", date + rtl::EncodeTime(13, 5, 9, 0)},
      {"2024-02-30", -7}, {"yyyy-mm-dd", -7}, {"2024-02-29T25:00:00", -7}};
  for (const auto& [text, expected] : texts) {
    root->WriteChildString("T", text);
    EXPECT_NEAR(root->ReadChildDateTime("T", -7), expected, 1e-9) << text;
  }
  EXPECT_THROW(root->WriteChildDateTime("Nan", std::nan(""), 0), EConvertError);

  ScopedEnv zone("TZ", "XST-2");  // local time is UTC + 2 hours
  doc.ZoneInDateTimes = true;
  const TDateTime local = rtl::EncodeDate(2020, 6, 1) + rtl::EncodeTime(10, 0, 0, 0);
  root->WriteAttrDateTime("At", local, 0);
  EXPECT_EQ(root->ReadAttrString("At"), "2020-06-01T10:00:00.000+02:00");
  EXPECT_NEAR(root->ReadAttrDateTime("At", 0), local, 1e-9);
  root->WriteChildString("West", "2020-06-01T10:00:00.000-05:30");  // read as local time
  EXPECT_NEAR(root->ReadChildDateTime("West", 0), local + 7.5 / 24, 1e-9);
}

TEST(XmlValues, BinaryValues) {
  TXmlDocument doc("R");
  const std::string bytes = Pattern(200, 9);
  doc.Layout = xlReadable;
  TXmlNode* buffer = doc.GetRoot()->AddChild("Data")->AddChild("Buffer");  // depth 2
  buffer->EncodeBinaryValue(bytes.data(), bytes.size());
  EXPECT_EQ(buffer->WriteToString().find("\r\n    "), std::string("<Buffer>").size() + 76);
  EXPECT_EQ(buffer->GetBinaryValueSize(), bytes.size());
  TXmlDocument reread;
  reread.ReadFromString(doc.WriteToString());
  EXPECT_EQ(reread.GetRoot()->FindChild("Data")->FindChild("Buffer")->ReadBase64String(), bytes);
  doc.BinaryEncoding = xbBinHex;
  buffer->WriteBase64String("foobar");
  EXPECT_EQ(buffer->GetValue(), "Zm9vYmFy");
}
