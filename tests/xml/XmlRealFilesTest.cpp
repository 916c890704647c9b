// Files as other programs write them and read them: declared character sets,
// CDATA sections, and line breaks and tabs in text and attribute values.
// libxml2 is the oracle for the tree, the iconv command for the bytes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/xml/TestSupport.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

using namespace xmltest;

namespace {

// The UTF-8 text in another character set, by the iconv command.
std::string Iconv(const std::string& from, const std::string& to, const std::string& text) {
  int status = -1;
  std::string bytes = RunCommand("iconv -f " + from + " -t " + to, text, &status);
  EXPECT_EQ(status, 0) << "iconv cannot write " << to;
  return bytes;
}

// A label file in the character set, with words of the language it serves.
std::string LabelText(const std::string& charset, const std::string& words) {
  return "<?xml version=\"1.0\" encoding=\"" + charset + "\"?>\r\n<Label Name=\"" + words + "\">\r\n  <Text>" +
         words + " &amp; 12</Text>\r\n  <Memo><![CDATA[" + words + " &lt;]]></Memo>\r\n  <!-- " + words +
         " -->\r\n</Label>\r\n";
}

struct CharsetCase {
  const char* Charset;
  const char* Words;  // UTF-8
};

const CharsetCase kCharsets[] = {
    {"Shift_JIS", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\xA9\xE3\x83\x99\xE3\x83\xAB"},
    {"EUC-JP", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\xA9\xE3\x83\x99\xE3\x83\xAB"},
    {"ISO-2022-JP", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\xA9\xE3\x83\x99\xE3\x83\xAB"},
    {"EUC-KR", "\xEB\xB0\x94\xEC\xBD\x94\xEB\x93\x9C \xEB\x9D\xBC\xEB\xB2\xA8"},
    {"Big5", "\xE6\xA2\x9D\xE7\xA2\xBC\xE6\xA8\x99\xE7\xB1\xA4"},
    {"GB18030", "\xE6\x9D\xA1\xE7\xA0\x81\xE6\xA0\x87\xE7\xAD\xBE"},
    {"KOI8-R", "\xD0\xAD\xD1\x82\xD0\xB8\xD0\xBA\xD0\xB5\xD1\x82\xD0\xBA\xD0\xB0"},
    {"windows-1251", "\xD0\xAD\xD1\x82\xD0\xB8\xD0\xBA\xD0\xB5\xD1\x82\xD0\xBA\xD0\xB0"},
    {"ISO-8859-2", "\xC5\xBB\xC3\xB3\xC5\x82\xC4\x87"},
    {"ISO-8859-7", "\xCE\x95\xCF\x84\xCE\xB9\xCE\xBA\xCE\xAD\xCF\x84\xCE\xB1"},
    {"ISO-8859-15", "Caf\xC3\xA9 \xE2\x82\xAC"},
    {"windows-1252", "Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cquoted\xE2\x80\x9D"},
    {"iso-8859-1", "Caf\xC3\xA9 \xC2\x80"},
};

}  // namespace

// Each file reads to libxml2's tree with the words intact, and is saved
// again in its own character set.
TEST(XmlRealFiles, DeclaredCharacterSetsReadAsLibxml2ReadsThem) {
  if (std::system("iconv --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "the iconv command is not installed";
  for (const CharsetCase& c : kCharsets) {
    SCOPED_TRACE(c.Charset);
    const std::string bytes = Iconv("UTF-8", c.Charset, LabelText(c.Charset, c.Words));
    ASSERT_NE(bytes, LabelText(c.Charset, c.Words)) << "the file must not be plain UTF-8";
    TXmlDocument doc;
    Loaded(doc, bytes);
    EXPECT_EQ(Canonical(*doc.GetRoot()), CanonicalByLibxml2(bytes));
    EXPECT_EQ(doc.GetRoot()->ReadChildString("Text"), std::string(c.Words) + " & 12");
    EXPECT_EQ(doc.GetRoot()->ReadAttrString("Name"), c.Words);
    EXPECT_EQ(doc.ExternalEncoding, xe8Bit);

    const std::string again = Saved(doc);
    EXPECT_EQ(Iconv(c.Charset, "UTF-8", again), doc.WriteToString()) << "saved in the declared set";
    EXPECT_EQ(CanonicalByLibxml2(again), CanonicalByLibxml2(bytes));
  }
}

TEST(XmlRealFiles, UnknownOrMislabelledCharacterSets) {
  TXmlDocument doc;
  for (const char* unknown : {"x-no-such-set", "UTF-8//TRANSLIT", ""})
    EXPECT_EQ(MessageOf([&] { Loaded(doc, LabelText(unknown, "a")); }),
              unknown[0] ? std::string("Unknown character set \"") + unknown + "\"" : "no error");
  // A file labelled UTF-16 whose bytes are UTF-8: the label cannot be right.
  Loaded(doc, LabelText("UTF-16", "Caf\xC3\xA9"));
  EXPECT_EQ(doc.GetRoot()->ReadChildString("Text"), "Caf\xC3\xA9 & 12");
  EXPECT_EQ(doc.ExternalEncoding, xeUtf8);
  // A byte the set does not define reads as U+FFFD, the rest as written.
  Loaded(doc, "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r>a\xFF" "b</r>");
  EXPECT_EQ(doc.GetRoot()->GetValue(), "a\xEF\xBF\xBD" "b");
  // Saving what the set cannot hold is refused, never lost.
  Loaded(doc, LabelText("KOI8-R", "a"));
  doc.GetRoot()->WriteChildString("Text", "\xE6\x97\xA5");
  EXPECT_EQ(MessageOf([&] { Saved(doc); }), "Character not representable in KOI8-R: \"\xE6\x97\xA5\"");
  // Documents of the program stay UTF-8.
  TXmlDocument fresh("Label");
  fresh.GetRoot()->WriteChildString("Text", "\xE6\x97\xA5");
  EXPECT_EQ(Saved(fresh), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Label><Text>\xE6\x97\xA5</Text></Label>\n");
}

TEST(XmlRealFiles, CDataIsTheTextAsWritten) {
  const std::string bytes = "<r><![CDATA[x &amp; y <b>&#65;</b>\r\nz]]><a>&amp;</a></r>";
  TXmlDocument doc;
  Loaded(doc, bytes);
  const TXmlNode* cdata = doc.GetRoot()->GetChild(0);
  ASSERT_EQ(cdata->GetKind(), nkCData);
  EXPECT_EQ(cdata->GetValue(), "x &amp; y <b>&#65;</b>\nz");
  EXPECT_EQ(doc.GetRoot()->ReadChildString("a"), "&");
  EXPECT_EQ(Canonical(*doc.GetRoot()), CanonicalByLibxml2(bytes));

  auto section = TXmlNode::CreateOfKind(nullptr, nkCData);
  section->SetValue("1 < 2 && 3 > 2\r\n");
  EXPECT_EQ(section->WriteToString(), "<![CDATA[1 < 2 && 3 > 2\n]]>");
  EXPECT_EQ(section->GetValue(), "1 < 2 && 3 > 2\n");
  EXPECT_EQ(MessageOf([&] { section->SetValue("a]]>b"); }), "A CDATA section cannot hold \"]]>\"");
  EXPECT_EQ(section->GetValue(), "1 < 2 && 3 > 2\n") << "a refused value leaves the section as it was";
}

// A memo typed on any system keeps its CR LF, tabs and blank lines through a
// file, for us and for libxml2; attributes keep their line breaks and tabs.
TEST(XmlRealFiles, MemoTextsWithLineBreaksAndTabsRoundTrip) {
  const std::string memo = "First line\r\n\tindented\r\n\r\nafter a blank line\nLF only\rCR only";
  for (TXmlLayout layout : {xlCompact, xlReadable}) {
    TXmlDocument doc("Document");
    doc.Layout = layout;
    doc.GetRoot()->AddChild("Shape")->WriteChildString("Text", memo);
    doc.GetRoot()->WriteAttrString("Caption", memo);
    doc.GetRoot()->WriteChildWideString("Wide", u"a\r\nb");
    ScratchFolder folder;
    doc.SaveToFile(folder.File("memo.xml"));
    const std::string bytes = ReadFile(folder.File("memo.xml"));

    TXmlDocument back;
    back.LoadFromFile(folder.File("memo.xml"));
    back.Layout = layout;
    EXPECT_EQ(back.GetRoot()->FindChild("Shape")->ReadChildString("Text"), memo);
    EXPECT_EQ(back.GetRoot()->ReadAttrString("Caption"), memo);
    EXPECT_EQ(back.GetRoot()->ReadChildWideString("Wide"), u"a\r\nb");
    EXPECT_EQ(Canonical(*back.GetRoot()), CanonicalByLibxml2(bytes));
    EXPECT_EQ(Saved(back), bytes) << "saving what was read writes the same file";
  }
}

// Text other programs wrote with line breaks and tabs as they are reads as
// XML prescribes: line breaks as LF, and in attributes every one of them as
// a blank.
TEST(XmlRealFiles, LineBreaksWrittenAsTheyAreReadAsEveryReaderReadsThem) {
  const std::string bytes = "<r a=\"1\r\n2\t3\n4\r5\" b=\"&#13;&#10;&#9;\">\r\n  <t>one\r\ntwo\rthree\nfour</t>\r\n</r>";
  TXmlDocument doc;
  Loaded(doc, bytes);
  EXPECT_EQ(doc.GetRoot()->ReadAttrString("a"), "1 2 3 4 5");
  EXPECT_EQ(doc.GetRoot()->ReadAttrString("b"), "\r\n\t");
  EXPECT_EQ(doc.GetRoot()->ReadChildString("t"), "one\ntwo\nthree\nfour");
  EXPECT_EQ(Canonical(*doc.GetRoot()), CanonicalByLibxml2(bytes));
}
