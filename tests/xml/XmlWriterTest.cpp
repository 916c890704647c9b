#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/xml/TreeOracle.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

std::string Message(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.what();
  }
  return "no error";
}

// Random trees of everything the writer writes, in shapes the parser gives
// back unchanged (character data never next to other character data).
class TreeMaker {
public:
  explicit TreeMaker(unsigned seed) : Random(seed) {}

  void Fill(TXmlNode& element, int depth) {
    if (Chance(2)) element.SetValue(Text());
    for (int a = Pick(4); a > 0; --a) element.WriteAttrString(Pick(kNames) + std::to_string(a), Text(), "");
    if (depth >= 6) return;
    // Text first would read back as the value, text after text as one text.
    bool lastWasText = true;
    for (int c = Pick(5); c > 0; --c) {
      switch (Pick(6)) {
        case 0: {
          if (lastWasText) continue;
          auto text = TXmlNode::CreateOfKind(nullptr, nkCharData);
          text->SetValue(Text() + "x");
          element.AppendChild(std::move(text));
          lastWasText = true;
          continue;
        }
        case 1: {
          auto comment = TXmlNode::CreateOfKind(nullptr, nkComment);
          comment->SetValue(" note " + std::to_string(Pick(100)) + " ");
          element.AppendChild(std::move(comment));
          break;
        }
        case 2: {
          auto cdata = TXmlNode::CreateOfKind(nullptr, nkCData);
          cdata->SetValue("raw <" + Text() + ">");
          element.AppendChild(std::move(cdata));
          break;
        }
        case 3: {
          auto pi = TXmlNode::CreateOfKind(nullptr, nkInstruction);
          pi->SetValue("app-data key=" + std::to_string(Pick(100)));
          element.AppendChild(std::move(pi));
          break;
        }
        default: Fill(*element.AddChild(Pick(kNames)), depth + 1);
      }
      lastWasText = false;
    }
  }

private:
  static inline const std::vector<std::string> kNames = {"Shape", "Left", "ClassName", "Nom-\xC3\xA9t\xC3\xA9", "a.b_c", "Z9"};
  static inline const std::vector<std::string> kWords = {"12.5", "a&b", "<tag>", "\"quoted\"", "it's", "\xE2\x82\xAC",
                                                         "\xF0\x9F\x98\x80", "&amp;", "]]>", "plain words"};
  int Pick(int n) { return static_cast<int>(Random() % static_cast<unsigned>(n)); }
  const std::string& Pick(const std::vector<std::string>& list) { return list[static_cast<std::size_t>(Pick(static_cast<int>(list.size())))]; }
  bool Chance(int n) { return Pick(n) == 0; }
  std::string Text() {
    std::string text = Pick(kWords);
    for (int i = Pick(3); i > 0; --i) text += " " + Pick(kWords);
    return text;
  }
  std::mt19937 Random;
};

}  // namespace

TEST(XmlWriter, ReadableLayout) {
  TXmlDocument doc("Document");
  doc.Layout = xlReadable;
  doc.GetRoot()->WriteChildInteger("Zoom", 100, 0);
  EXPECT_EQ(doc.WriteToString(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Document>\r\n  <Zoom>100</Zoom>\r\n</Document>\r\n");
  EXPECT_EQ(doc.GetLineBreak(), "\r\n");
}

TEST(XmlWriter, CompactLayout) {
  TXmlDocument doc("Document");
  doc.GetRoot()->WriteChildInteger("Zoom", 100, 0);
  EXPECT_EQ(doc.WriteToString(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document><Zoom>100</Zoom></Document>\n");
}

TEST(XmlWriter, OtherLayoutValuesBreakLinesWithoutIndentation) {
  TXmlDocument doc("Document");
  doc.Layout = static_cast<TXmlLayout>(2);
  doc.GetRoot()->AddChild("A")->AddChild("B");
  EXPECT_EQ(doc.WriteToString(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document>\n<A>\n<B/>\n</A>\n</Document>\n");
}

TEST(XmlWriter, EmptyElementsAndFullEndTags) {
  TXmlDocument doc("Root");
  EXPECT_EQ(doc.GetRoot()->WriteToString(), "<Root></Root>");
  doc.GetRoot()->AddChild("Name");
  EXPECT_EQ(doc.GetRoot()->WriteToString(), "<Root><Name/></Root>");
  doc.GetRoot()->GetChild(0)->AddAttribute("a", "1");
  EXPECT_EQ(doc.GetRoot()->WriteToString(), "<Root><Name a=\"1\"/></Root>");
  doc.FullEndTags = true;
  EXPECT_EQ(doc.GetRoot()->WriteToString(), "<Root><Name a=\"1\"></Name></Root>");
}

TEST(XmlWriter, MixedContentKeepsCharacterDataInPlace) {
  TXmlDocument doc;
  doc.ReadFromString("<a>x<b/>y</a>");
  doc.Layout = xlReadable;
  EXPECT_EQ(doc.GetRoot()->WriteToString(), "<a>x\r\n  <b/>y</a>");
  TXmlDocument again;
  again.ReadFromString(doc.WriteToString());
  EXPECT_EQ(xmltest::Canonical(*again.GetRoot()), xmltest::Canonical(*doc.GetRoot()));
  EXPECT_EQ(again.GetRoot()->GetValue(), "x");
}

TEST(XmlWriter, EveryKindHasItsForm) {
  TXmlDocument doc;
  doc.ReadFromString(
      "<?xml version=\"1.0\" encoding=\"\"?><?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>"
      "<!DOCTYPE r [<!ELEMENT r ANY><!ATTLIST r a CDATA #IMPLIED><!ENTITY e \"v\"><!NOTATION n SYSTEM \"x\">]>"
      "<r><!--c--><![CDATA[d]]><?pi data?><!other></r>");
  EXPECT_EQ(doc.WriteToString(),
            "<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>\n"
            "<!DOCTYPE r  [<!ELEMENT r ANY><!ATTLIST r a CDATA #IMPLIED><!ENTITY e \"v\">"
            "<!NOTATION n SYSTEM \"x\">]>\n<r><!--c--><![CDATA[d]]><?pi data?><!other></r>\n");
  auto unknown = TXmlNode::CreateOfKind(nullptr, nkUnknown);
  unknown->SetValue("odd");
  EXPECT_EQ(unknown->WriteToString(), "<odd>");
  EXPECT_EQ(Message([] { TXmlNode::CreateOfKind(nullptr, static_cast<TXmlNodeKind>(14))->WriteToString(); }),
            "Illegal element type");
}

TEST(XmlWriter, RefusesWhatCannotBeReadBack) {
  TXmlDocument doc;
  EXPECT_EQ(Message([&] { doc.WriteToString(); }), "Missing element name");
  doc.GetContainer().DeleteChild(1);
  doc.StrictStructure = true;
  EXPECT_EQ(Message([&] { doc.WriteToString(); }), "XML root element not defined.");
}

TEST(XmlWriter, ProgressReportsGrowingPositions) {
  TXmlDocument doc("R");
  for (int i = 0; i < 5; ++i) doc.GetRoot()->AddChild("C");
  std::vector<std::int64_t> positions;
  doc.OnProgress = [&](const TXmlDocument&, std::int64_t p) { positions.push_back(p); };
  const std::string text = doc.WriteToString();
  ASSERT_GE(positions.size(), 6u);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_LE(positions.back(), static_cast<std::int64_t>(text.size()));
}

// Every document the writer makes is well-formed to libxml2, reads back to
// the same tree, and libxml2 sees that same tree.
TEST(XmlWriter, RandomTreesAreWellFormedAndReadBack) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    TXmlDocument doc("Document");
    TreeMaker(seed).Fill(*doc.GetRoot(), 0);
    const auto expected = xmltest::Canonical(*doc.GetRoot());
    for (TXmlLayout layout : {xlCompact, xlReadable}) {
      doc.Layout = layout;
      const std::string text = doc.WriteToString();
      bool ok = false;
      std::string error;
      const auto libxml2 = xmltest::CanonicalByLibxml2(text, ok, &error);
      ASSERT_TRUE(ok) << error << "\n" << text;
      EXPECT_EQ(libxml2, expected) << text;
      TXmlDocument back;
      back.ReadFromString(text);
      back.Layout = layout;
      EXPECT_EQ(xmltest::Canonical(*back.GetRoot()), expected) << text;
      EXPECT_EQ(back.WriteToString(), text) << "writing what was read changes nothing";
    }
  }
}
