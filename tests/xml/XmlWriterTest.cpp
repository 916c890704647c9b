#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

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

// Texts of blanks alone, texts with blanks at their ends, and bytes that are
// no UTF-8 (a cut sequence, an encoded surrogate), which are written as
// U+FFFD. libxml2 reads every text as written here by hand; our reader reads
// the same.
TEST(XmlWriter, BlankTextsAndBytesThatAreNoUtf8ReadBackInEveryReader) {
  const std::string fffd = "\xEF\xBF\xBD";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {" ", " "},
      {"\t", "\t"},
      {" \t\r\n ", " \t\r\n "},
      {"  Price \t", "  Price \t"},
      {"two\r\nlines \n", "two\r\nlines \n"},
      {"\xC3(", fffd + "("},
      {"\xED\xA0\x80", fffd},
      {"\xF0\x9F\x98\x80 \xC3\xA9 \xEF\xBF\xBD \x7F \xC2\x85", "\xF0\x9F\x98\x80 \xC3\xA9 \xEF\xBF\xBD \x7F \xC2\x85"},
      {"<&>\"'", "<&>\"'"},
  };
  for (TXmlLayout layout : {xlCompact, xlReadable}) {
    TXmlDocument doc("R");
    doc.Layout = layout;
    for (std::size_t i = 0; i < cases.size(); ++i)
      doc.GetRoot()->WriteChildString("T" + std::to_string(i), cases[i].first, "");
    const std::string text = doc.WriteToString();
    const std::vector<std::string> byLibxml2 = ChildTextsByLibxml2(text);
    ASSERT_EQ(byLibxml2.size(), cases.size()) << text;
    TXmlDocument back;
    back.ReadFromString(text);
    for (std::size_t i = 0; i < cases.size(); ++i) {
      EXPECT_EQ(byLibxml2[i], cases[i].second) << i << " " << text;
      EXPECT_EQ(back.GetRoot()->ReadChildString("T" + std::to_string(i)), cases[i].second) << i << " " << text;
    }
  }
}

// The characters XML 1.0 cannot carry raw (NUL and the other C0 controls but
// tab, LF and CR; U+FFFE and U+FFFF) are written as "&#xN;" and read back
// exactly, in texts and attributes, at the ends of a text too. pugixml, which
// takes such references, reads the same characters from the file.
TEST(XmlWriter, ControlCharactersAndNoncharactersReadBackExactly) {
  std::vector<std::string> texts;
  for (char c = 0; c < 0x20; ++c)
    if (c != '\t' && c != '\n' && c != '\r') texts.push_back(std::string(1, c) + "a" + std::string(1, c));
  texts.push_back("x\xEF\xBF\xBE\xEF\xBF\xBFy");
  texts.push_back(std::string("Code\x1D" "39\x04\x00", 9));
  for (TXmlLayout layout : {xlCompact, xlReadable}) {
    TXmlDocument doc("R");
    doc.Layout = layout;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      TXmlNode* child = doc.GetRoot()->AddChild("T" + std::to_string(i));
      child->SetValue(texts[i]);
      child->WriteAttrString("a", texts[i], "");
    }
    const std::string text = doc.WriteToString();
    TXmlDocument back;
    back.ReadFromString(text);
    pugi::xml_document byPugixml;
    ASSERT_TRUE(byPugixml.load_string(text.c_str())) << text;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const std::string name = "T" + std::to_string(i);
      EXPECT_EQ(back.GetRoot()->ReadChildString(name), texts[i]) << i << " " << text;
      EXPECT_EQ(back.GetRoot()->FindChild(name)->ReadAttrString("a", ""), texts[i]) << i << " " << text;
      // pugixml's texts end at a NUL.
      const std::string upToNul = texts[i].substr(0, texts[i].find('\0'));
      EXPECT_EQ(byPugixml.child("R").child(name.c_str()).text().get(), upToNul) << i << " " << text;
      EXPECT_EQ(byPugixml.child("R").child(name.c_str()).attribute("a").value(), upToNul) << i << " " << text;
    }
  }
  // As written, worked by hand.
  const auto node = TXmlNode::CreateNamedValue(nullptr, "v", std::string("a\x04" "b\x1F\xEF\xBF\xBF\x00", 8));
  node->WriteAttrString("a", "\x1D", "");
  EXPECT_EQ(node->WriteToString(), "<v a=\"&#x1D;\">a&#x4;b&#x1F;&#xFFFF;&#x0;</v>");
}

// A value followed by child elements: the line break and indentation of the
// readable layout are no part of it, its own blanks are.
TEST(XmlWriter, AValueBeforeChildrenKeepsItsBlanks) {
  for (TXmlLayout layout : {xlCompact, xlReadable}) {
    TXmlDocument doc("R");
    doc.Layout = layout;
    doc.GetRoot()->AddChild("P")->SetValue(" v \n");
    doc.GetRoot()->FindChild("P")->AddChild("c");
    doc.GetRoot()->AddChild("Q")->SetValue("  ");
    doc.GetRoot()->FindChild("Q")->AddChild("c");
    TXmlDocument back;
    back.ReadFromString(doc.WriteToString());
    EXPECT_EQ(back.GetRoot()->ReadChildString("P"), " v \n") << doc.WriteToString();
    EXPECT_EQ(back.GetRoot()->ReadChildString("Q"), "  ") << doc.WriteToString();
    EXPECT_EQ(back.GetRoot()->FindChild("P")->GetChildCount(), 1);
    EXPECT_EQ(back.GetRoot()->FindChild("P")->GetValue(), "v") << "numbers and names still read trimmed";
  }
}

// A CDATA section cannot hold a reference: the characters XML cannot carry
// raw are written there as U+FFFD, and libxml2 reads the file.
TEST(XmlWriter, CDataHoldsNoCharacterXmlCannotCarry) {
  const std::string fffd = "\xEF\xBF\xBD";
  TXmlDocument doc("R");
  auto cdata = TXmlNode::CreateOfKind(nullptr, nkCData);
  cdata->SetValue(std::string("c\0d\x1B\xEF\xBF\xBF", 7));
  doc.GetRoot()->AppendChild(std::move(cdata));
  const std::string text = doc.WriteToString();
  EXPECT_FALSE(CanonicalByLibxml2(text).empty()) << text;
  TXmlDocument back;
  back.ReadFromString(text);
  EXPECT_EQ(back.GetRoot()->GetChild(0)->GetValue(), "c" + fffd + "d" + fffd + fffd);
}

// Files written before read as they always did: the reader still drops text
// of white space alone and takes any other character as it stands.
TEST(XmlWriter, FilesWrittenBeforeReadAsTheyDid) {
  TXmlDocument old;
  old.ReadFromString(std::string("<R><A> </A><B>  Price </B><C>a\0b</C><D>\t</D><E>&#32;</E></R>", 60));
  EXPECT_EQ(old.GetRoot()->ReadChildString("A", "-"), "");
  EXPECT_EQ(old.GetRoot()->ReadChildString("B"), "  Price ");
  EXPECT_EQ(old.GetRoot()->ReadChildString("C"), std::string("a\0b", 3));
  EXPECT_EQ(old.GetRoot()->ReadChildString("D", "-"), "");
  EXPECT_EQ(old.GetRoot()->ReadChildString("E"), " ");
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

namespace {

std::string GrowingSaveBytes(TXmlDocument& doc, const std::function<bool(TXmlNode&)>& more) {
  TMemoryStream stream;
  doc.SaveToStream(stream, more);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

std::string WholeSaveBytes(const TXmlDocument& doc) {
  TMemoryStream stream;
  doc.SaveToStream(stream);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

}  // namespace

// A root whose last children are made while it is written gives the bytes
// of the whole tree written at once, whatever the layout and encoding, where
// the children are cut off (none kept, character data at a cut) and however
// many come a batch; and a batch is gone before the next is made.
TEST(XmlWriter, AGrowingRootWritesTheBytesOfTheWholeTree) {
  const std::pair<TXmlLayout, TXmlEncoding> settings[] = {
      {xlCompact, xeUtf8}, {xlReadable, xeUtf8}, {static_cast<TXmlLayout>(2), xeUtf8}, {xlReadable, xeUtf16LE}};
  for (unsigned seed = 1; seed <= 40; ++seed) {
    for (const auto& [layout, encoding] : settings) {
      TXmlDocument whole("Document");
      TreeMaker(seed).Fill(*whole.GetRoot(), 0);
      whole.Layout = layout;
      whole.ExternalEncoding = encoding;
      whole.FullEndTags = seed % 3 == 0;
      const std::string expected = WholeSaveBytes(whole);

      TXmlDocument growing("Document");
      TreeMaker(seed).Fill(*growing.GetRoot(), 0);
      growing.Layout = layout;
      growing.ExternalEncoding = encoding;
      growing.FullEndTags = whole.FullEndTags;
      TXmlNode& root = *growing.GetRoot();
      const int kept = static_cast<int>(seed % 4) % (root.GetChildCount() + 1);
      std::vector<std::unique_ptr<TXmlNode>> later;
      while (root.GetChildCount() > kept) later.push_back(root.DetachChild(root.GetChild(kept)));
      std::size_t next = 0;
      const int batch = 1 + static_cast<int>(seed % 3);
      int calls = 0;
      const std::string written = GrowingSaveBytes(growing, [&](TXmlNode& node) {
        ++calls;
        EXPECT_EQ(&node, &root);
        EXPECT_EQ(node.GetChildCount(), kept) << "the batch before was deleted";
        for (int i = 0; i < batch && next < later.size(); ++i) node.AppendChild(std::move(later[next++]));
        return node.GetChildCount() > kept;
      });
      EXPECT_EQ(written, expected) << "seed " << seed << " layout " << int(layout) << " kept " << kept;
      EXPECT_EQ(next, later.size());
      EXPECT_GE(calls, 1);
      EXPECT_EQ(root.GetChildCount(), kept);
    }
  }
}

// The edges: a root that never gets a child, one with a value only, one
// whose only children are character data, and a failing batch, which
// leaves the error to the caller.
TEST(XmlWriter, AGrowingRootWithoutElementChildrenIsWrittenAsAWholeOne) {
  auto check = [](const std::string& value, const std::vector<std::string>& texts) {
    for (TXmlLayout layout : {xlCompact, xlReadable}) {
      TXmlDocument whole("Root");
      whole.Layout = layout;
      whole.GetRoot()->SetValue(value);
      for (const std::string& text : texts) {
        auto node = TXmlNode::CreateOfKind(nullptr, nkCharData);
        node->SetValue(text);
        whole.GetRoot()->AppendChild(std::move(node));
      }
      TXmlDocument growing("Root");
      growing.Layout = layout;
      growing.GetRoot()->SetValue(value);
      std::size_t next = 0;
      const std::string written = GrowingSaveBytes(growing, [&](TXmlNode& root) {
        if (next == texts.size()) return false;
        auto node = TXmlNode::CreateOfKind(nullptr, nkCharData);
        node->SetValue(texts[next++]);
        root.AppendChild(std::move(node));
        return true;
      });
      EXPECT_EQ(written, WholeSaveBytes(whole)) << "value \"" << value << "\", " << texts.size() << " texts";
    }
  };
  check("", {});
  check("v ", {});
  check("", {"a", " b "});
  check("v", {" tail"});

  TXmlDocument failing("Root");
  failing.GetRoot()->AddChild("Kept");
  EXPECT_THROW(GrowingSaveBytes(failing,
                                [](TXmlNode& root) -> bool {
                                  root.AddChild("Made");
                                  throw EXmlError("made badly");
                                }),
               EXmlError);
}
