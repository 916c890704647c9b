#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/xml/TestSupport.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

using namespace xmltest;

namespace {

// Random trees of everything the writer writes, in shapes the parser gives
// back unchanged (character data never first, never next to character data).
class TreeMaker {
public:
  explicit TreeMaker(unsigned seed) : Random(seed) {}

  void Fill(TXmlNode& element, int depth) {
    if (Pick(2) == 0) element.SetValue(Text());
    for (int a = Pick(4); a > 0; --a) {
      // Drawn one after the other: the order of a call's arguments is the compiler's.
      const std::string name = Pick(kNames) + std::to_string(a);
      const std::string value = Text();
      element.WriteAttrString(name, value, "");
    }
    bool lastWasText = true;
    for (int c = depth < 6 ? Pick(5) : 0; c > 0; --c) {
      const int kind = Pick(6);
      if (kind == 0 && lastWasText) continue;
      if (kind >= 4) {
        lastWasText = false;
        Fill(*element.AddChild(Pick(kNames)), depth + 1);
        continue;
      }
      const TXmlNodeKind kinds[] = {nkCharData, nkComment, nkCData, nkInstruction};
      const std::string values[] = {Text() + "x", " note " + std::to_string(Pick(100)) + " ", "raw <" + Text() + ">",
                                    "app-data key=" + std::to_string(Pick(100))};
      auto node = TXmlNode::CreateOfKind(nullptr, kinds[kind]);
      if (kinds[kind] == nkCData && values[kind].find("]]>") != std::string::npos) {
        EXPECT_THROW(node->SetValue(values[kind]), EXmlError) << "a CDATA section cannot hold its own end";
        continue;
      }
      node->SetValue(values[kind]);
      element.AppendChild(std::move(node));
      lastWasText = kind == 0;
    }
  }

private:
  static inline const std::vector<std::string> kNames = {"Shape", "Left", "Nom-\xC3\xA9t\xC3\xA9", "a.b_c", "Z9"};
  static inline const std::vector<std::string> kWords = {"12.5", "a&b", "<tag>", "\"quoted\"", "it's", "\xE2\x82\xAC",
                                                         "\xF0\x9F\x98\x80", "&amp;", "]]>", "plain words",
                                                         "two\r\nlines", "tab\tstop", "lone\rCR"};
  int Pick(int n) { return static_cast<int>(Random() % static_cast<unsigned>(n)); }
  const std::string& Pick(const std::vector<std::string>& list) { return list[Random() % list.size()]; }
  std::string Text() {
    std::string text = Pick(kWords);
    for (int i = Pick(3); i > 0; --i) text += " " + Pick(kWords);
    return text;
  }
  std::mt19937 Random;
};

}  // namespace

TEST(XmlWriter, LayoutsAndEmptyElements) {
  const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  const std::pair<TXmlLayout, std::string> layouts[] = {
      {xlReadable, "\r\n<Document>\r\n  <Zoom>100</Zoom>\r\n  <Name a=\"1\"/>\r\n</Document>\r\n"},
      {xlCompact, "\n<Document><Zoom>100</Zoom><Name a=\"1\"/></Document>\n"},
      {static_cast<TXmlLayout>(2), "\n<Document>\n<Zoom>100</Zoom>\n<Name a=\"1\"/>\n</Document>\n"},
  };
  for (const auto& [layout, expected] : layouts) {
    TXmlDocument doc("Document");
    doc.Layout = layout;
    doc.GetRoot()->WriteChildInteger("Zoom", 100, 0);
    doc.GetRoot()->AddChild("Name")->AddAttribute("a", "1");
    EXPECT_EQ(doc.WriteToString(), declaration + expected);
    doc.FullEndTags = true;
    EXPECT_EQ(doc.GetRoot()->FindChild("Name")->WriteToString(), "<Name a=\"1\"></Name>");
  }
  EXPECT_EQ(TXmlDocument("Root").GetRoot()->WriteToString(), "<Root></Root>");
  TXmlDocument mixed;
  mixed.ReadFromString("<a>x<b/>y</a>");
  mixed.Layout = xlReadable;
  EXPECT_EQ(mixed.GetRoot()->WriteToString(), "<a>x\r\n  <b/>y</a>") << "character data stays in place";
}

// Character data among other nodes, in the places the reader cannot tell
// from layout: first (where it continues the value), after a value, before
// and after other nodes, last, with blanks and line ends of its own. The
// readable text reads back to the same characters and is written again
// unchanged; the compact one too.
TEST(XmlWriter, CharacterDataKeepsItsPlaceAndItsBlanksInEveryLayout) {
  auto append = [](TXmlNode& parent, TXmlNodeKind kind, const std::string& value) {
    auto node = TXmlNode::CreateOfKind(nullptr, kind);
    node->SetValue(value);
    parent.AppendChild(std::move(node));
  };
  TXmlDocument doc("Document");
  TXmlNode& left = *doc.GetRoot()->AddChild("Shape")->AddChild("Left");
  left.SetValue("V");
  append(left, nkCharData, "first");
  append(left, nkCharData, "before cdata ");
  append(left, nkCData, "raw");
  append(left, nkCharData, "after cdata\n");
  left.AddChild("b");
  append(left, nkCharData, " \t");
  left.AddChild("c");
  append(left, nkCharData, "last \r\n");
  TXmlNode& right = *doc.GetRoot()->AddChild("Right");
  append(right, nkCharData, "T");
  append(right, nkComment, "c");
  doc.Layout = xlReadable;
  EXPECT_EQ(doc.WriteToString(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Document>\r\n  <Shape>\r\n"
            "    <Left>Vfirstbefore cdata&#32;\r\n      <![CDATA[raw]]>after cdata&#10;<b/>&#32;&#9;<c/>"
            "last &#13;&#10;</Left>\r\n  </Shape>\r\n  <Right>T\r\n    <!--c-->\r\n  </Right>\r\n</Document>\r\n");
  for (TXmlLayout layout : {xlReadable, xlCompact}) {
    doc.Layout = layout;
    const std::string text = doc.WriteToString();
    TXmlDocument back;
    back.ReadFromString(text);
    back.Layout = layout;
    EXPECT_EQ(back.WriteToString(), text);
    // The first texts join the value: nothing in the file tells them apart.
    const TXmlNode& readLeft = *back.GetRoot()->FindChild("Shape")->FindChild("Left");
    std::string read = readLeft.GetValue();
    for (int i = 0; i < readLeft.GetChildCount(); ++i)
      if (readLeft.GetChild(i)->GetKind() == nkCharData) read += "|" + readLeft.GetChild(i)->GetValue();
    EXPECT_EQ(read, "Vfirstbefore cdata|after cdata\n| \t|last \r\n") << text;
    const TXmlNode& readRight = *back.GetRoot()->FindChild("Right");
    EXPECT_EQ(readRight.GetValue(), "T");
    EXPECT_EQ(readRight.GetChildCount(), 1);
  }
}

TEST(XmlWriter, EveryKindHasItsFormAndWhatCannotBeReadBackIsRefused) {
  TXmlDocument doc;
  doc.ReadFromString(
      "<?xml version=\"1.0\" encoding=\"\"?><?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>"
      "<!DOCTYPE r [<!ELEMENT r ANY><!ATTLIST r a CDATA #IMPLIED><!ENTITY e \"v\"><!NOTATION n SYSTEM \"x\">]>"
      "<r><!--c--><![CDATA[d]]><?pi data?><!other></r>");
  EXPECT_EQ(doc.WriteToString(),
            "<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>\n"
            "<!DOCTYPE r  [<!ELEMENT r ANY><!ATTLIST r a CDATA #IMPLIED><!ENTITY e \"v\">"
            "<!NOTATION n SYSTEM \"x\">]>\n<r><!--c--><![CDATA[d]]><?pi data?><!other></r>\n");
  EXPECT_EQ(MessageOf([] { TXmlNode::CreateOfKind(nullptr, static_cast<TXmlNodeKind>(14))->WriteToString(); }),
            "Illegal element type");
  // What could not be read back is refused.
  TXmlDocument unnamed;
  EXPECT_EQ(MessageOf([&] { unnamed.WriteToString(); }), "Missing element name");
  unnamed.GetContainer().DeleteChild(1);
  unnamed.StrictStructure = true;
  EXPECT_EQ(MessageOf([&] { unnamed.WriteToString(); }), "XML root element not defined.");
}

// Every document the writer makes is well-formed to libxml2, which sees our
// tree, and reads back to the same tree and the same text.
TEST(XmlWriter, RandomTreesAreWellFormedAndReadBack) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    TXmlDocument doc("Document");
    TreeMaker(seed).Fill(*doc.GetRoot(), 0);
    const auto expected = Canonical(*doc.GetRoot());
    for (TXmlLayout layout : {xlCompact, xlReadable}) {
      doc.Layout = layout;
      const std::string text = doc.WriteToString();
      EXPECT_EQ(CanonicalByLibxml2(text), expected) << text;
      TXmlDocument back;
      back.ReadFromString(text);
      back.Layout = layout;
      EXPECT_EQ(Canonical(*back.GetRoot()), expected) << text;
      EXPECT_EQ(back.WriteToString(), text);
    }
  }
}
