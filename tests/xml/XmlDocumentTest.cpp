// Documents in files and streams: character encodings in and out.

#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "tests/xml/TestSupport.h"
#include "xml/XmlDocument.h"

using namespace xmltest;

namespace {

std::string Saved(const TXmlDocument& doc) {
  TMemoryStream stream;
  doc.SaveToStream(stream);
  return Text(stream);
}

void Load(TXmlDocument& doc, const std::string& bytes) {
  BytesStream stream(bytes);
  doc.LoadFromStream(stream);
}

const std::string kText = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";  // é, euro sign, an emoji

}  // namespace

TEST(XmlDocument, EveryWritableEncodingRoundTripsWithItsMark) {
  const std::pair<TXmlEncoding, std::string> encodings[] = {{xeUtf8, "<?"},
                                                            {xeUtf16BE, "\xFE\xFF"},
                                                            {xeUtf16LE, "\xFF\xFE"},
                                                            {xeUtf16BENoBom, std::string("\0<", 2)},
                                                            {xeUtf16LENoBom, std::string("<\0", 2)}};
  for (const auto& [encoding, start] : encodings) {
    TXmlDocument doc("Root");
    doc.GetRoot()->WriteChildString("Text", kText);
    doc.ExternalEncoding = encoding;
    const std::string bytes = Saved(doc);
    EXPECT_EQ(bytes.substr(0, 2), start);
    TXmlDocument back;
    Load(back, bytes);
    EXPECT_EQ(back.GetRoot()->ReadChildString("Text"), kText) << int{encoding};
    if (encoding == xeUtf16LE) {  // a file read with its mark is saved with it, as libxml2 reads it
      EXPECT_EQ(back.ExternalEncoding, xeUtf16LE);
      EXPECT_EQ(CanonicalByLibxml2(Saved(back)), (std::vector<std::string>{"start Root", "start Text", "text " + kText, "end", "end"}));
    }
  }
}

TEST(XmlDocument, EightBitAndUnmarkedFiles) {
  TXmlDocument doc;
  Load(doc, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>Caf\xE9 \x80</r>");
  EXPECT_EQ(doc.ExternalEncoding, xe8Bit);
  EXPECT_EQ(doc.GetRoot()->GetValue(), "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_NE(Saved(doc).find("Caf\xE9 \x80"), std::string::npos);
  doc.GetRoot()->SetValue("\xE4\xB8\xAD");  // no Windows-1252 code: refused, never lost silently
  EXPECT_EQ(MessageOf([&] { Saved(doc); }), "Character not representable in the 8-bit encoding");
  for (const std::string& bytes : {"<r>" + kText + "</r>", "\xEF\xBB\xBF<r>" + kText + "</r>",
                                   "<?xml version=\"1.0\" encoding=\"utf-8\"?><r>" + kText + "</r>"}) {
    Load(doc, bytes);
    EXPECT_EQ(doc.GetRoot()->GetValue(), kText);
  }
  EXPECT_EQ(doc.ExternalEncoding, xeUtf8);
}

TEST(XmlDocument, MalformedInputBecomesReplacementCharacters) {
  TXmlDocument doc;
  Load(doc, "<r>a\xC3(b\xED\xA0\x80" "c\xFF</r>");
  const std::string value = doc.GetRoot()->GetValue();
  EXPECT_EQ(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(value)), value) << "the tree holds well-formed UTF-8";
  EXPECT_NE(value.find("\xEF\xBF\xBD"), std::string::npos);
  std::string bytes = "\xFF\xFE";  // a lone surrogate in UTF-16
  for (const char16_t unit : std::u16string(u"<r>\xD800x</r>")) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  Load(doc, bytes);
  EXPECT_EQ(doc.GetRoot()->GetValue(), "\xEF\xBF\xBDx");
}

TEST(XmlDocument, UnsupportedEncodingsAreRefused) {
  for (const std::string& bytes : {std::string("\x00\x00\xFE\xFF", 4), std::string("\x3C\x00\x00\x00", 4), std::string("\x4C\x6F\xA7\x94")}) {
    TXmlDocument doc;
    EXPECT_EQ(MessageOf([&] { Load(doc, bytes); }), "Unsupported string encoding");
  }
  TXmlDocument doc("R");
  doc.ExternalEncoding = xeUcs4LE;
  EXPECT_THROW(Saved(doc), EXmlError);
}

TEST(XmlDocument, FilesStreamPositionsAndCopies) {
  ScratchFolder folder;
  TXmlDocument doc("Document");
  doc.Layout = xlReadable;
  doc.GetRoot()->WriteChildFloat("Zoom", 1.5, 0);
  doc.SaveToFile(folder.File("doc.xml"));
  TXmlDocument back;
  back.LoadFromFile(folder.File("doc.xml"));
  EXPECT_EQ(back.GetRoot()->ReadChildFloat("Zoom", 0), 1.5);
  EXPECT_THROW(back.LoadFromFile(folder.File("missing.xml")), EFOpenError);
  BytesStream stream("JUNK");
  stream.Seek(0, TSeekOrigin::soEnd);
  doc.SaveToStream(stream);
  stream.SetPosition(4);
  back.LoadFromStream(stream);
  EXPECT_EQ(back.GetRoot()->GetName(), "Document");

  TXmlDocument copy;
  copy.Assign(&doc);
  EXPECT_EQ(copy.WriteToString(), doc.WriteToString());
  EXPECT_EQ(copy.GetRoot()->GetDocument(), &copy);
  doc.GetRoot()->WriteChildString("Zoom", "2");
  EXPECT_EQ(copy.GetRoot()->ReadChildString("Zoom"), "1.5");
}

TEST(XmlDocument, ReloadingFreesTheEarlierTree) {
  TXmlDocument doc;
  std::string big = "<r>";
  for (int i = 0; i < 10000; ++i) big += "<item>" + std::to_string(i) + "</item>";
  for (int i = 0; i < 50; ++i) doc.ReadFromString(big + "</r>");  // LeakSanitizer watches the pools
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 10000);
}
