// Typed values of nodes: the texts written and how texts read back.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/DateTime.h"
#include "tests/xml/TestSupport.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

TEST(XmlValues, BooleansAsChildrenAndAttributes) {
  TXmlDocument doc("Shape");
  TXmlNode* root = doc.GetRoot();
  root->WriteChildBool("Visible", false, false);  // defaults are written unless asked otherwise
  root->WriteChildBool("Locked", true, false);
  root->WriteAttrBool("On", true, false);
  root->WriteAttrBool("Off", false, true);
  EXPECT_EQ(root->WriteToString(), "<Shape On=\"true\" Off=\"false\"><Visible>False</Visible><Locked>True</Locked></Shape>");
  const std::tuple<const char*, bool, bool> children[] = {
      {"yes", false, true}, {"No", true, false}, {"0", true, true}, {"0", false, false}, {"", true, true}};
  for (const auto& [text, fallback, expected] : children) {
    root->WriteChildString("B", text);
    EXPECT_EQ(root->ReadChildBool("B", fallback), expected) << text;
  }
  EXPECT_TRUE(root->ReadChildBool("Missing", true));
  const std::tuple<const char*, bool, bool> attributes[] = {
      {"1", false, true}, {"N", true, false}, {"true", false, true}, {"maybe", true, true}, {"maybe", false, false}};
  for (const auto& [text, fallback, expected] : attributes) {
    root->WriteAttrString("A", text, "");
    EXPECT_EQ(root->ReadAttrBool("A", fallback), expected) << text;
  }
}

TEST(XmlValues, DefaultsAreSkippedOnlyWhenAsked) {
  TXmlDocument doc("R");
  doc.WriteDefaults = false;
  doc.GetRoot()->WriteChildInteger("Same", 3, 3);
  doc.GetRoot()->WriteChildFloat("SameF", 1.5, 1.5);
  doc.GetRoot()->WriteAttrInteger("SameA", 3, 3);
  doc.GetRoot()->WriteChildInteger("Other", 4, 3);
  EXPECT_EQ(doc.GetRoot()->WriteToString(), "<R><Other>4</Other></R>");
  auto free = TXmlNode::CreateNamed(nullptr, "F");  // a node without document writes every value
  free->WriteChildBool("B", false, false);
  EXPECT_EQ(free->GetChildCount(), 1);
}

TEST(XmlValues, NumbersColoursAndStrings) {
  TXmlDocument doc("R");
  TXmlNode* root = doc.GetRoot();
  root->WriteChildColor("White", clWhite);
  root->WriteChildColor("System", clBtnFace);  // stored as the RGB of the classic button face
  root->WriteChildHex("Hex", 0xAB, 4, 0);
  root->WriteChildHex("Wide", -1, 2, 0);
  root->WriteChildInt64("Big", 9007199254740993ll, 0);
  root->WriteChildFloat("F", 12.5, 0);
  doc.FloatDigits = 3;
  root->WriteChildFloat("F3", 3.14159, 0);
  root->WriteAttrFloat("A", 0.001, 0);
  root->WriteChildWideString("W", u"Caf\u00E9 \U0001F600 <&>");
  EXPECT_EQ(root->WriteToString(),
            "<R A=\"1E-3\"><White>$00FFFFFF</White><System>$00C8D0D4</System><Hex>$00AB</Hex><Wide>$FFFFFFFF</Wide>"
            "<Big>9007199254740993</Big><F>12.5</F><F3>3.14</F3><W>Caf\xC3\xA9 \xF0\x9F\x98\x80 &lt;&amp;&gt;</W></R>");
  EXPECT_EQ(root->ReadChildColor("White", clBlack), clWhite);
  EXPECT_EQ(root->ReadChildInt64("Big", 0), 9007199254740993ll);
  EXPECT_EQ(root->ReadChildWideString("W"), u"Caf\u00E9 \U0001F600 <&>");
  EXPECT_EQ(root->ReadChildWideString("Missing", u"d"), u"d");
  root->WriteChildInteger("Int", -2147483647 - 1, 0);
  EXPECT_EQ(root->ReadChildInteger("Int", 0), -2147483647 - 1);
  root->WriteChildString("Bad", "12x");
  EXPECT_EQ(root->ReadChildInteger("Bad", 42), 42);
  EXPECT_EQ(root->ReadChildInt64("Bad", 42), 42);
  root->WriteChildString("Comma", "3,5");
  EXPECT_EQ(root->ReadChildFloat("Comma", 0), 3.5);
  EXPECT_EQ(root->ReadChildFloat("W", 1.25), 1.25);
}

TEST(XmlValues, DateTimes) {
  TXmlDocument doc("R");
  TXmlNode* root = doc.GetRoot();
  const TDateTime date = rtl::EncodeDate(2024, 2, 29);
  const TDateTime moment = date + rtl::EncodeTime(13, 5, 9, 45);
  root->WriteChildDateTime("D", date, 0);
  root->WriteChildDateTime("M", moment, 0);
  EXPECT_EQ(root->ReadChildString("D"), "2024-02-29");
  EXPECT_EQ(root->ReadChildString("M"), "2024-02-29T13:05:09.045Z");
  EXPECT_EQ(root->ReadChildDateTime("D", -1), date);
  EXPECT_NEAR(root->ReadChildDateTime("M", -1), moment, 1e-9);
  const std::pair<const char*, TDateTime> texts[] = {
      {"2024-02-29T13:05", date},  // hours and minutes need 17 characters
      {"2024-02-29T13:05:09", date + rtl::EncodeTime(13, 5, 9, 0)},
      {"2024-13-01", -7}, {"2024-02-30", -7}, {"yyyy-mm-dd", -7}, {"", -7}, {"2024-02-29T25:00:00", -7}};
  for (const auto& [text, expected] : texts) {
    root->WriteChildString("T", text);
    EXPECT_NEAR(root->ReadChildDateTime("T", -7), expected, 1e-9) << text;
  }
  EXPECT_THROW(root->WriteChildDateTime("Nan", std::nan(""), 0), EConvertError);

  xmltest::ScopedEnv zone("TZ", "XST-2");  // local time is UTC + 2 hours
  doc.ZoneInDateTimes = true;
  const TDateTime local = rtl::EncodeDate(2020, 6, 1) + rtl::EncodeTime(10, 0, 0, 0);
  root->WriteAttrDateTime("At", local, 0);
  EXPECT_EQ(root->ReadAttrString("At"), "2020-06-01T10:00:00.000+02:00");
  EXPECT_NEAR(root->ReadAttrDateTime("At", 0), local, 1e-9);
  root->WriteChildString("Utc", "2020-06-01T10:00:00.000Z");  // a UTC time reads as local time
  EXPECT_NEAR(root->ReadChildDateTime("Utc", 0), local + 2.0 / 24, 1e-9);
  root->WriteChildString("West", "2020-06-01T10:00:00.000-05:30");
  EXPECT_NEAR(root->ReadChildDateTime("West", 0), local + 7.5 / 24, 1e-9);
}

TEST(XmlValues, Fonts) {
  TXmlDocument doc("R");
  TFont font;
  font.SetName("Courier New");
  font.SetColor(clRed);
  font.SetSize(14);
  font.SetStyle(FontStyleBit(fsBold) | FontStyleBit(fsUnderline));
  doc.GetRoot()->WriteChildFont("Font", font);
  EXPECT_EQ(doc.GetRoot()->FindChild("Font")->WriteToString(),
            "<Font><Name>Courier New</Name><Color>$000000FF</Color><Size>14</Size><Bold>True</Bold>"
            "<Italic>False</Italic><Underline>True</Underline><Strikeout>False</Strikeout></Font>");
  doc.GetRoot()->FindChild("Font")->FindChild("Name")->DeleteSelf();
  TFont back;
  doc.GetRoot()->ReadChildFont("Font", back);
  EXPECT_EQ(back.GetName(), "Arial");
  EXPECT_EQ(back.GetColor(), clRed);
  EXPECT_EQ(back.GetSize(), 14);
  EXPECT_EQ(back.GetStyle(), FontStyleBit(fsBold) | FontStyleBit(fsUnderline));
}

TEST(XmlValues, BinaryValuesInBothLayoutsAndEncodings) {
  const std::string bytes = xmltest::Pattern(200, 9);
  TXmlDocument doc("Root");
  doc.Layout = xlReadable;
  TXmlNode* buffer = doc.GetRoot()->AddChild("Data")->AddChild("Buffer");  // depth 2
  buffer->EncodeBinaryValue(bytes.data(), bytes.size());
  EXPECT_EQ(buffer->WriteToString().find("\r\n    "), std::string("<Buffer>").size() + 76);
  EXPECT_EQ(buffer->GetBinaryValueSize(), bytes.size());
  TXmlDocument reread;
  reread.ReadFromString(doc.WriteToString());
  const TXmlNode* back = reread.GetRoot()->FindChild("Data")->FindChild("Buffer");
  std::string decoded(bytes.size(), '\0');
  back->DecodeBinaryValue(decoded.data(), decoded.size());
  EXPECT_EQ(decoded, bytes);
  EXPECT_EQ(back->ReadBase64String(), bytes);

  doc.BinaryEncoding = xbBinHex;
  buffer->EncodeBinaryValue("\x00\x07\xE0", 3);
  EXPECT_EQ(buffer->GetValue(), "0007E0");
  EXPECT_EQ(buffer->GetBinaryValueSize(), 3u);
  buffer->WriteBase64String("foobar");
  EXPECT_EQ(buffer->GetValue(), "Zm9vYmFy");
}
