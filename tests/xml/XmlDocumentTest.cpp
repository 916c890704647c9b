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

std::string Loaded(TXmlDocument& doc, const std::string& bytes) {
  BytesStream stream(bytes);
  doc.LoadFromStream(stream);
  return doc.GetRoot()->GetValue();
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
  EXPECT_EQ(Loaded(doc, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>Caf\xE9 \x80</r>"), "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(doc.ExternalEncoding, xe8Bit);
  EXPECT_NE(Saved(doc).find("Caf\xE9 \x80"), std::string::npos);
  doc.GetRoot()->SetValue("\xE4\xB8\xAD");  // no Windows-1252 code: refused, never lost silently
  EXPECT_EQ(MessageOf([&] { Saved(doc); }), "Character not representable in the 8-bit encoding");
  for (const std::string& bytes : {"<r>" + kText + "</r>", "\xEF\xBB\xBF<r>" + kText + "</r>",
                                   "<?xml version=\"1.0\" encoding=\"utf-8\"?><r>" + kText + "</r>"})
    EXPECT_EQ(Loaded(doc, bytes), kText);
  EXPECT_EQ(doc.ExternalEncoding, xeUtf8);

  const std::string value = Loaded(doc, "<r>a\xC3(b\xED\xA0\x80" "c\xFF</r>");
  EXPECT_EQ(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(value)), value) << "the tree holds well-formed UTF-8";
  EXPECT_NE(value.find("\xEF\xBF\xBD"), std::string::npos);
  EXPECT_EQ(Loaded(doc, std::string("\xFF\xFE<\0r\0>\0\x00\xD8x\0<\0/\0r\0>\0", 20)), "\xEF\xBF\xBDx") << "a lone surrogate";
  for (const std::string& bytes : {std::string("\x00\x00\xFE\xFF", 4), std::string("\x3C\x00\x00\x00", 4), std::string("\x4C\x6F\xA7\x94")})
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
  EXPECT_EQ(copy.GetRoot()->GetDocument(), &copy);
  std::string big = "<r>";
  for (int i = 0; i < 10000; ++i) big += "<item>" + std::to_string(i) + "</item>";
  for (int i = 0; i < 50; ++i) doc.ReadFromString(big + "</r>");  // LeakSanitizer watches the pools
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 10000);
}
