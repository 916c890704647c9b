#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/rtl/DateTime.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

// Sets TZ for the lifetime of the object.
class ZoneGuard {
public:
  explicit ZoneGuard(const char* zone) {
    const char* old = std::getenv("TZ");
    Had = old != nullptr;
    if (old) Saved = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (Had) setenv("TZ", Saved.c_str(), 1); else unsetenv("TZ");
    tzset();
  }

private:
  bool Had = false;
  std::string Saved;
};

}  // namespace

TEST(XmlValues, BooleansAsChildrenAndAttributes) {
  TXmlDocument doc("Shape");
  TXmlNode* root = doc.GetRoot();
  root->WriteChildBool("Visible", false, false);
  EXPECT_EQ(root->ReadChildString("Visible"), "False");
  root->WriteChildBool("Locked", true, false);
  EXPECT_EQ(root->ReadChildString("Locked"), "True");
  root->WriteChildString("Yes", "yes");
  root->WriteChildString("Zero", "0");
  root->WriteChildString("Empty", "");
  EXPECT_TRUE(root->ReadChildBool("Yes", false));
  EXPECT_TRUE(root->ReadChildBool("Zero", true));
  EXPECT_FALSE(root->ReadChildBool("Zero", false));
  EXPECT_TRUE(root->ReadChildBool("Empty", true));
  EXPECT_TRUE(root->ReadChildBool("Missing", true));
  EXPECT_FALSE(root->ReadChildBool("Visible", true));

  root->WriteAttrBool("On", true, false);
  root->WriteAttrBool("Off", false, true);
  EXPECT_EQ(root->GetAttributesText(), " On=\"true\" Off=\"false\"");
  root->AddAttribute("One", "1");
  root->AddAttribute("Nope", "N");
  root->AddAttribute("Maybe", "maybe");
  EXPECT_TRUE(root->ReadAttrBool("one", false));
  EXPECT_FALSE(root->ReadAttrBool("Nope", true));
  EXPECT_TRUE(root->ReadAttrBool("Maybe", true));
  EXPECT_FALSE(root->ReadAttrBool("Maybe", false));
  EXPECT_TRUE(root->ReadAttrBool("On", false));
  EXPECT_FALSE(root->ReadAttrBool("Off", true));
}

TEST(XmlValues, DefaultsAreSkippedOnlyWhenAsked) {
  TXmlDocument doc("R");
  TXmlNode* root = doc.GetRoot();
  doc.WriteDefaults = false;
  root->WriteChildInteger("Same", 3, 3);
  root->WriteChildFloat("SameF", 1.5, 1.5);
  root->WriteAttrInteger("SameA", 3, 3);
  EXPECT_EQ(root->GetChildCount(), 0);
  EXPECT_EQ(root->GetAttributeCount(), 0);
  root->WriteChildInteger("Other", 4, 3);
  EXPECT_EQ(root->ReadChildInteger("Other", 0), 4);
  doc.WriteDefaults = true;
  root->WriteChildInteger("Same", 3, 3);
  EXPECT_EQ(root->ReadChildInteger("Same", 0), 3);
  // A node without document writes every value.
  auto free = TXmlNode::CreateNamed(nullptr, "F");
  free->WriteChildBool("B", false, false);
  EXPECT_EQ(free->GetChildCount(), 1);
}

TEST(XmlValues, NumbersAndColours) {
  TXmlDocument doc("R");
  TXmlNode* root = doc.GetRoot();
  root->WriteChildColor("White", clWhite);
  EXPECT_EQ(root->ReadChildString("White"), "$00FFFFFF");
  EXPECT_EQ(root->ReadChildColor("White", clBlack), clWhite);
  // A system colour is stored as the RGB of the classic button face.
  root->WriteChildColor("System", clBtnFace);
  EXPECT_EQ(root->ReadChildString("System"), "$00C8D0D4");
  root->WriteChildHex("Hex", 0xAB, 4, 0);
  EXPECT_EQ(root->ReadChildString("Hex"), "$00AB");
  root->WriteChildHex("Wide", -1, 2, 0);
  EXPECT_EQ(root->ReadChildString("Wide"), "$FFFFFFFF");
  root->WriteChildInteger("Int", -2147483647 - 1, 0);
  EXPECT_EQ(root->ReadChildInteger("Int", 0), -2147483647 - 1);
  root->WriteChildInt64("Big", 9007199254740993ll, 0);
  EXPECT_EQ(root->ReadChildString("Big"), "9007199254740993");
  EXPECT_EQ(root->ReadChildInt64("Big", 0), 9007199254740993ll);
  root->WriteChildString("Bad", "12x");
  EXPECT_EQ(root->ReadChildInteger("Bad", 42), 42);
  EXPECT_EQ(root->ReadChildInt64("Bad", 42), 42);
  EXPECT_EQ(root->ReadChildInteger("Missing", 9), 9);
  root->WriteChildString("Comma", "3,5");
  root->WriteChildString("Letters", "abc");
  EXPECT_EQ(root->ReadChildFloat("Comma", 0), 3.5);
  EXPECT_EQ(root->ReadChildFloat("Letters", 1.25), 1.25);
  root->WriteChildFloat("F", 12.5, 0);
  EXPECT_EQ(root->ReadChildString("F"), "12.5");
  doc.FloatDigits = 3;
  root->WriteChildFloat("F3", 3.14159, 0);
  EXPECT_EQ(root->ReadChildString("F3"), "3.14");
  root->WriteAttrFloat("A", 0.001, 0);
  EXPECT_EQ(root->ReadAttrString("A"), "1E-3");
  root->WriteAttrInt64("L", -5, 0);
  EXPECT_EQ(root->ReadAttrInt64("L", 0), -5);
  EXPECT_EQ(root->ReadAttrInteger("Missing", 8), 8);
}

TEST(XmlValues, StringsAndWideStrings) {
  TXmlDocument doc("R");
  TXmlNode* root = doc.GetRoot();
  const std::u16string wide = u"Caf\u00E9 \U0001F600 <&>";
  root->WriteChildWideString("W", wide);
  EXPECT_EQ(root->ReadChildString("W"), "Caf\xC3\xA9 \xF0\x9F\x98\x80 <&>");
  EXPECT_EQ(root->ReadChildWideString("W"), wide);
  EXPECT_EQ(root->ReadChildWideString("Missing", u"d"), u"d");
  EXPECT_EQ(root->ReadChildString("Missing", "d"), "d");
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
  root->WriteAttrDateTime("At", moment, 0);
  EXPECT_NEAR(root->ReadAttrDateTime("At", -1), moment, 1e-9);
  // Short texts: hours and minutes need 17 characters.
  root->WriteChildString("Short", "2024-02-29T13:05");
  EXPECT_EQ(root->ReadChildDateTime("Short", -1), date);
  root->WriteChildString("Seconds", "2024-02-29T13:05:09");
  EXPECT_NEAR(root->ReadChildDateTime("Seconds", -1), date + rtl::EncodeTime(13, 5, 9, 0), 1e-9);
  for (const char* bad : {"2024-13-01", "2024-02-30", "yyyy-mm-dd", "", "2024-02-29T25:00:00"}) {
    root->WriteChildString("Bad", bad);
    EXPECT_EQ(root->ReadChildDateTime("Bad", -7), -7) << bad;
  }
  EXPECT_THROW(root->WriteChildDateTime("Nan", std::nan(""), 0), EConvertError);
}

TEST(XmlValues, DateTimesWithTheZoneOption) {
  ZoneGuard zone("XST-2");  // local time is UTC + 2 hours
  TXmlDocument doc("R");
  doc.ZoneInDateTimes = true;
  TXmlNode* root = doc.GetRoot();
  const TDateTime local = rtl::EncodeDate(2020, 6, 1) + rtl::EncodeTime(10, 0, 0, 0);
  root->WriteChildDateTime("T", local, 0);
  EXPECT_EQ(root->ReadChildString("T"), "2020-06-01T10:00:00.000+02:00");
  EXPECT_NEAR(root->ReadChildDateTime("T", 0), local, 1e-9);
  // A UTC time reads as local time.
  root->WriteChildString("Utc", "2020-06-01T10:00:00.000Z");
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
  TFont back;
  doc.GetRoot()->ReadChildFont("Font", back);
  EXPECT_EQ(back.GetName(), "Courier New");
  EXPECT_EQ(back.GetColor(), clRed);
  EXPECT_EQ(back.GetSize(), 14);
  EXPECT_EQ(back.GetStyle(), FontStyleBit(fsBold) | FontStyleBit(fsUnderline));
  doc.GetRoot()->FindChild("Font")->FindChild("Name")->DeleteSelf();
  doc.GetRoot()->ReadChildFont("Font", back);
  EXPECT_EQ(back.GetName(), "Arial");
}

TEST(XmlValues, BinaryValuesInBothLayoutsAndEncodings) {
  std::string bytes(200, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  TXmlDocument doc("Root");
  doc.Layout = xlReadable;
  TXmlNode* buffer = doc.GetRoot()->AddChild("Data")->AddChild("Buffer");  // depth 2
  buffer->EncodeBinaryValue(bytes.data(), bytes.size());
  const std::string text = buffer->WriteToString();
  const std::string expectedBreak = "\r\n    ";
  ASSERT_NE(text.find(expectedBreak), std::string::npos);
  EXPECT_EQ(text.find(expectedBreak), std::string("<Buffer>").size() + 76);
  EXPECT_EQ(buffer->GetBinaryValueSize(), bytes.size());

  TXmlDocument reread;
  reread.ReadFromString(doc.WriteToString());
  const TXmlNode* back = reread.GetRoot()->FindChild("Data")->FindChild("Buffer");
  std::string decoded(bytes.size(), '\0');
  back->DecodeBinaryValue(decoded.data(), decoded.size());
  EXPECT_EQ(decoded, bytes);
  EXPECT_EQ(back->ReadBase64String(), bytes);

  doc.Layout = xlCompact;
  doc.BinaryEncoding = xbBinHex;
  buffer->EncodeBinaryValue(bytes.data(), 3);
  EXPECT_EQ(buffer->GetValue(), "00070E");
  EXPECT_EQ(buffer->GetBinaryValueSize(), 3u);
  char three[3];
  buffer->DecodeBinaryValue(three, 3);
  EXPECT_EQ(std::string(three, 3), bytes.substr(0, 3));
  char four[4];
  EXPECT_THROW(buffer->DecodeBinaryValue(four, 4), EXmlError);
  buffer->WriteBase64String("foobar");
  EXPECT_EQ(buffer->GetValue(), "Zm9vYmFy");
  EXPECT_EQ(buffer->ReadBase64String(), "foobar");
}
