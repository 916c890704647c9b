#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "tests/xml/TreeOracle.h"
#include "xml/XmlDocument.h"

namespace {

std::string Saved(const TXmlDocument& doc) {
  TMemoryStream stream;
  doc.SaveToStream(stream);
  return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.GetSize()));
}

void Load(TXmlDocument& doc, const std::string& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
  doc.LoadFromStream(stream);
}

std::string LoadError(const std::string& bytes) {
  TXmlDocument doc;
  try {
    Load(doc, bytes);
  } catch (const EXmlError& e) {
    return e.what();
  }
  return "no error";
}

const std::string kText = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";  // é, euro sign, an emoji

}  // namespace

TEST(XmlDocument, EveryWritableEncodingRoundTrips) {
  for (TXmlEncoding encoding : {xeUtf8, xeUtf16BE, xeUtf16LE, xeUtf16BENoBom, xeUtf16LENoBom}) {
    TXmlDocument doc("Root");
    doc.GetRoot()->WriteChildString("Text", kText);
    doc.ExternalEncoding = encoding;
    const std::string bytes = Saved(doc);
    if (encoding == xeUtf16LE) {
      EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    }
    if (encoding == xeUtf16BE) {
      EXPECT_EQ(bytes.substr(0, 2), "\xFE\xFF");
    }
    if (encoding == xeUtf16LENoBom) {
      EXPECT_EQ(bytes.substr(0, 2), std::string("<\0", 2));
    }
    if (encoding == xeUtf8) {
      EXPECT_EQ(bytes.substr(0, 5), "<?xml") << "UTF-8 files get no byte-order mark";
    }
    TXmlDocument back;
    Load(back, bytes);
    EXPECT_EQ(back.GetRoot()->ReadChildString("Text"), kText) << int{encoding};
  }
}

TEST(XmlDocument, Utf16LittleEndianLoadsAndSavesWithItsMark) {
  TXmlDocument doc("Root");
  doc.ExternalEncoding = xeUtf16LE;
  doc.GetRoot()->WriteChildString("T", kText);
  TXmlDocument back;
  Load(back, Saved(doc));
  EXPECT_EQ(back.ExternalEncoding, xeUtf16LE);
  EXPECT_EQ(Saved(back).substr(0, 2), "\xFF\xFE");
  // Written as libxml2 reads it.
  bool ok = false;
  const auto events = xmltest::CanonicalByLibxml2(Saved(back), ok);
  EXPECT_TRUE(ok);
}

TEST(XmlDocument, EightBitFiles) {
  TXmlDocument doc;
  Load(doc, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>Caf\xE9 \x80</r>");
  EXPECT_EQ(doc.ExternalEncoding, xe8Bit);
  EXPECT_EQ(doc.GetRoot()->GetValue(), "Caf\xC3\xA9 \xE2\x82\xAC");
  const std::string bytes = Saved(doc);
  EXPECT_NE(bytes.find("Caf\xE9 \x80"), std::string::npos);
  doc.GetRoot()->SetValue("\xE4\xB8\xAD");  // no Windows-1252 code
  try {
    Saved(doc);
    ADD_FAILURE();
  } catch (const EXmlError& e) {
    EXPECT_STREQ(e.what(), "Character not representable in the 8-bit encoding");
  }
}

TEST(XmlDocument, WithoutMarkOrDeclarationTheTextIsUtf8) {
  TXmlDocument doc;
  Load(doc, "<r>" + kText + "</r>");
  EXPECT_EQ(doc.GetRoot()->GetValue(), kText);
  EXPECT_EQ(doc.ExternalEncoding, xeUtf8);
  Load(doc, "<?xml version=\"1.0\" encoding=\"utf-8\"?><r>" + kText + "</r>");
  EXPECT_EQ(doc.GetRoot()->GetValue(), kText);
  Load(doc, "\xEF\xBB\xBF<r>" + kText + "</r>");
  EXPECT_EQ(doc.GetRoot()->GetValue(), kText);
  EXPECT_EQ(doc.ExternalEncoding, xeUtf8);
}

TEST(XmlDocument, MalformedUtf8BecomesReplacementCharacters) {
  TXmlDocument doc;
  Load(doc, "<r>a\xC3(b\xED\xA0\x80" "c\xFF</r>");
  const std::string value = doc.GetRoot()->GetValue();
  EXPECT_EQ(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(value)), value) << "the tree holds well-formed UTF-8";
  EXPECT_EQ(value.substr(0, 1), "a");
  EXPECT_NE(value.find("\xEF\xBF\xBD"), std::string::npos);
}

TEST(XmlDocument, LoneSurrogatesInUtf16BecomeReplacementCharacters) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : std::u16string(u"<r>\xD800x</r>")) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  TXmlDocument doc;
  Load(doc, bytes);
  EXPECT_EQ(doc.GetRoot()->GetValue(), "\xEF\xBF\xBDx");
}

TEST(XmlDocument, UnsupportedEncodingsAreRefused) {
  EXPECT_EQ(LoadError(std::string("\x00\x00\xFE\xFF", 4)), "Unsupported string encoding");
  EXPECT_EQ(LoadError(std::string("\x3C\x00\x00\x00", 4)), "Unsupported string encoding");
  EXPECT_EQ(LoadError("\x4C\x6F\xA7\x94"), "Unsupported string encoding");
  TXmlDocument doc("R");
  doc.ExternalEncoding = xeUcs4LE;
  EXPECT_THROW(Saved(doc), EXmlError);
}

TEST(XmlDocument, FilesAndStreamPositions) {
  char name[] = "/tmp/xmldocXXXXXX";
  close(mkstemp(name));
  TXmlDocument doc("Document");
  doc.Layout = xlReadable;
  doc.GetRoot()->WriteChildFloat("Zoom", 1.5, 0);
  doc.SaveToFile(name);
  TXmlDocument back;
  back.LoadFromFile(name);
  EXPECT_EQ(back.GetRoot()->ReadChildFloat("Zoom", 0), 1.5);
  std::remove(name);
  EXPECT_THROW(back.LoadFromFile(name), EFOpenError);

  TMemoryStream stream;
  stream.WriteBuffer("JUNK", 4);
  doc.SaveToStream(stream);
  stream.SetPosition(4);
  back.LoadFromStream(stream);
  EXPECT_EQ(back.GetRoot()->GetName(), "Document");
}

TEST(XmlDocument, ClearRestoresDefaultsButNotStrictness) {
  TXmlDocument doc("R");
  doc.Layout = xlReadable;
  doc.FloatDigits = 3;
  doc.StrictStructure = true;
  doc.DropComments = true;
  doc.Clear();
  EXPECT_EQ(doc.Layout, xlCompact);
  EXPECT_EQ(doc.FloatDigits, 6);
  EXPECT_FALSE(doc.DropComments);
  EXPECT_TRUE(doc.StrictStructure);
  EXPECT_EQ(doc.GetRoot()->GetName(), "");
}

TEST(XmlDocument, AssignCopiesOptionsAndTree) {
  TXmlDocument source("Source");
  source.Layout = xlReadable;
  source.GetRoot()->WriteChildString("K", "v");
  TXmlDocument copy;
  copy.Assign(&source);
  EXPECT_EQ(copy.WriteToString(), source.WriteToString());
  EXPECT_EQ(copy.GetRoot()->GetDocument(), &copy);
  source.GetRoot()->WriteChildString("K", "changed");
  EXPECT_EQ(copy.GetRoot()->ReadChildString("K"), "v");
}

TEST(XmlDocument, ReloadingFreesTheEarlierText) {
  TXmlDocument doc;
  std::string big = "<r>";
  for (int i = 0; i < 10000; ++i) big += "<item>" + std::to_string(i) + "</item>";
  big += "</r>";
  for (int i = 0; i < 50; ++i) doc.ReadFromString(big);  // LeakSanitizer watches the pools
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 10000);
}
