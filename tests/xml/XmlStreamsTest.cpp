// The streams files are read and written through: the codec with its
// signature table and messages, the buffered streams, the string stream and
// the surplus reader that nodes parse from one after the other. Bytes in
// other encodings come from the iconv command, not from our converters.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/xml/TestSupport.h"
#include "xml/BufferedStreams.h"
#include "xml/CodecStream.h"
#include "xml/SurplusReader.h"
#include "xml/Utf8StringStream.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

using namespace xmltest;

namespace {

std::string Iconv(const std::string& to, const std::string& utf8) {
  int status = -1;
  std::string bytes = RunCommand("iconv -f UTF-8 -t " + to, utf8, &status);
  EXPECT_EQ(status, 0);
  return bytes;
}

// Everything a stream gives, asked for in reads of the given length.
std::string ReadAll(TStream& stream, std::int64_t piece) {
  std::string text;
  std::vector<char> buffer(static_cast<std::size_t>(piece));
  for (std::int64_t n; (n = stream.Read(buffer.data(), piece)) > 0;)
    text.append(buffer.data(), static_cast<std::size_t>(n));
  return text;
}

// The bytes decoded by a codec reading them in pieces.
std::string Decoded(const std::string& bytes, std::int64_t piece = 4096, TXmlEncoding* encoding = nullptr) {
  BytesStream source(bytes);
  TsdUtf8Stream codec(&source);
  std::string text = ReadAll(codec, piece);
  if (encoding) *encoding = codec.GetEncoding();
  return text;
}

std::string Encoded(const std::string& utf8, TXmlEncoding encoding, const std::string& charset = {}) {
  TMemoryStream target;
  TsdUtf8Stream codec(&target);
  codec.SetEncoding(encoding);
  codec.SetCharset(charset);
  codec.Write(utf8.data(), static_cast<std::int64_t>(utf8.size()));
  return Text(target);
}

// A stream that hands out at most a few bytes per read, as pipes and sockets do.
struct TrickleStream : BytesStream {
  using BytesStream::BytesStream;
  std::int64_t Read(void* buffer, std::int64_t count) override {
    return BytesStream::Read(buffer, std::min<std::int64_t>(count, 3));
  }
};

// A stream that takes no bytes, as a full disk does.
struct FullStream : TMemoryStream {
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
};

// Text whose four-byte characters fall on every offset around the codec's blocks.
std::string Emoji(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += i % 3 ? "\xF0\x9F\x98\x80" : "a\xC3\xA9";
  return text;
}

}  // namespace

// Each row of the signature table, by the encoding found, whether a mark was
// skipped, and the text read or the refusal.
TEST(XmlCodecStream, TheSignatureTableRowByRow) {
  using namespace std::string_literals;
  struct Row {
    std::string Bytes;
    TXmlEncoding Encoding;
    bool Bom;
    std::string Text;  // "" for a refused encoding
  };
  const Row rows[] = {
      {"\x00\x00\xFE\xFF"s + "rest", xeUcs4BE, true, ""},
      {"\xFF\xFE\x00\x00"s + "rest", xeUcs4LE, true, ""},
      {"\x00\x00\xFF\xFE"s + "rest", xeUcs4Order2143, true, ""},
      {"\xFE\xFF\x00\x00"s + "rest", xeUcs4Order3412, true, ""},
      {"\xFE\xFF" + Iconv("UTF-16BE", "<r>\xC3\xA9</r>"), xeUtf16BE, true, "<r>\xC3\xA9</r>"},
      {"\xFF\xFE" + Iconv("UTF-16LE", "<r>\xC3\xA9</r>"), xeUtf16LE, true, "<r>\xC3\xA9</r>"},
      {"\xEF\xBB\xBF<r>\xC3\xA9</r>", xeUtf8, true, "<r>\xC3\xA9</r>"},
      {"\x00\x00\x00\x3C"s + "rest", xeUcs4BE, false, ""},
      {"\x3C\x00\x00\x00"s + "rest", xeUcs4LE, false, ""},
      {"\x00\x00\x3C\x00"s + "rest", xeUcs4Order2143, false, ""},
      {"\x00\x3C\x00\x00"s + "rest", xeUcs4Order3412, false, ""},
      {Iconv("UTF-16BE", "<?xml version='1.0'?><r/>"), xeUtf16BE, false, "<?xml version='1.0'?><r/>"},
      {Iconv("UTF-16LE", "<?xml version='1.0'?><r/>"), xeUtf16LE, false, "<?xml version='1.0'?><r/>"},
      {"<?xml version='1.0' encoding='windows-1252'?><r>\xE9</r>", xe8Bit, false,
       "<?xml version='1.0' encoding='windows-1252'?><r>\xC3\xA9</r>"},
      {"\x4C\x6F\xA7\x94"s + "rest", xeEbcdic, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(int{row.Encoding});
    BytesStream source(row.Bytes);
    TsdUtf8Stream codec(&source);
    if (row.Text.empty()) {
      EXPECT_EQ(MessageOf([&] { ReadAll(codec, 16); }), "Unsupported string encoding");
      EXPECT_EQ(MessageOf([&] { ReadAll(codec, 16); }), "Unsupported string encoding") << "and stays refused";
      continue;
    }
    EXPECT_EQ(ReadAll(codec, 5), row.Text);
    EXPECT_EQ(codec.GetEncoding(), row.Encoding);
    EXPECT_EQ(codec.GetHasBom(), row.Bom);
  }
  // "<?xm" names 8-bit; the declaration then decides, and without one (or
  // without a match) the text is UTF-8.
  TXmlEncoding encoding = xe8Bit;
  EXPECT_EQ(Decoded("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>\xC3\xA9</r>", 7, &encoding).substr(38),
            "<r>\xC3\xA9</r>");
  EXPECT_EQ(encoding, xeUtf8);
  EXPECT_EQ(Decoded("  <r>\xC3\xA9</r>", 2, &encoding), "  <r>\xC3\xA9</r>");
  EXPECT_EQ(encoding, xeUtf8);
  const std::string longDeclaration =
      "<?xml version=\"1.0\"" + std::string(10000, ' ') + "encoding=\"ISO-8859-7\"?><r>\xE1</r>";
  EXPECT_TRUE(Decoded(longDeclaration, 1, &encoding).ends_with("?><r>\xCE\xB1</r>"))
      << "a declaration longer than the first read still names the set";
  EXPECT_EQ(encoding, xe8Bit);
}

TEST(XmlCodecStream, Utf16ReadAndWrittenAcrossBlocksAsIconvDoes) {
  for (const std::string prefix : {"", "b", "bc", "bcd"}) {
    const std::string text = prefix + Emoji(70000);  // far beyond one block
    for (const std::string order : {"BE", "LE"}) {
      SCOPED_TRACE(order + " after " + std::to_string(prefix.size()));
      const bool big = order == "BE";
      const std::string bytes = Iconv("UTF-16" + order, text);
      EXPECT_EQ(Decoded((big ? "\xFE\xFF" : "\xFF\xFE") + bytes, 1000), text);
      EXPECT_EQ(Encoded(text, big ? xeUtf16BE : xeUtf16LE), (big ? "\xFE\xFF" : "\xFF\xFE") + bytes);
      EXPECT_EQ(Encoded(text, big ? xeUtf16BENoBom : xeUtf16LENoBom), bytes);
    }
  }
  // An odd last byte and a high surrogate without its pair read as U+FFFD.
  EXPECT_EQ(Decoded(std::string("\xFF\xFEr\0x", 5)), "r\xEF\xBF\xBD");
  EXPECT_EQ(Decoded(std::string("\xFF\xFEr\0\x3D\xD8", 6)), "r\xEF\xBF\xBD");
}

TEST(XmlCodecStream, EightBitWrittenInTheNamedSetOrRefused) {
  std::string text = "<r>";
  for (int i = 0; i < 50000; ++i) text += i % 2 ? "\xCE\xB1" : "\xCF\x89";
  text += "</r>";
  EXPECT_EQ(Encoded(text, xe8Bit, "ISO-8859-7"), Iconv("ISO-8859-7", text));
  EXPECT_EQ(MessageOf([&] { Encoded(text, xe8Bit); }), "Character not representable in the 8-bit encoding");
  EXPECT_EQ(MessageOf([&] { Encoded("\xE2\x82\xAC", xe8Bit, "ISO-8859-5"); }),
            "Character not representable in ISO-8859-5: \"\xE2\x82\xAC\"");
  EXPECT_EQ(Encoded("Caf\xC3\xA9 \xE2\x82\xAC", xe8Bit), "Caf\xE9 \x80") << "no set named: Windows-1252";
  EXPECT_EQ(Encoded(text, xeUtf8), text) << "UTF-8 is written as it is, without mark";
}

TEST(XmlCodecStream, Messages) {
  TsdUtf8Stream unassigned(nullptr);
  char c;
  EXPECT_EQ(MessageOf([&] { unassigned.Read(&c, 1); }), "Encoding stream unassigned");
  EXPECT_EQ(MessageOf([&] { unassigned.Write("x", 1); }), "Encoding stream unassigned");

  BytesStream source("<r>abc</r>");
  TsdUtf8Stream reading(&source);
  EXPECT_EQ(MessageOf([&] { reading.GetPosition(); }), "Cannot seek before reading or writing in conversion stream");
  char buffer[4];
  EXPECT_EQ(reading.Read(buffer, 4), 4);
  EXPECT_EQ(reading.GetPosition(), 4);
  EXPECT_EQ(MessageOf([&] { reading.Write("x", 1); }), "Cannot write to an UTF stream opened for reading");
  EXPECT_EQ(MessageOf([&] { reading.SetPosition(0); }), "Cannot perform seek on codec stream");
  EXPECT_EQ(MessageOf([&] { reading.GetSize(); }), "Cannot perform seek on codec stream");

  TMemoryStream target;
  TsdUtf8Stream writing(&target);
  writing.SetEncoding(xeUtf16LE);
  EXPECT_EQ(writing.Write("ab", 2), 2);
  EXPECT_EQ(writing.GetPosition(), 2);
  EXPECT_EQ(Text(target), std::string("\xFF\xFE"
                                      "a\0b\0",
                                      6));
  EXPECT_EQ(MessageOf([&] { writing.Read(buffer, 1); }), "Cannot read from a conversion stream opened for writing");

  for (TXmlEncoding refused : {xeUcs4BE, xeUcs4LE, xeUcs4Order2143, xeUcs4Order3412, xeEbcdic}) {
    TMemoryStream out;
    TsdUtf8Stream codec(&out);
    codec.SetEncoding(refused);
    EXPECT_EQ(MessageOf([&] { codec.Write("x", 1); }), "Unsupported string encoding");
    EXPECT_EQ(out.GetSize(), 0);
  }
  FullStream full;
  TsdUtf8Stream toFull(&full);
  EXPECT_EQ(MessageOf([&] { toFull.Write("x", 1); }), "Cannot write to output stream");
  TXmlDocument doc("Root");
  EXPECT_EQ(MessageOf([&] { doc.SaveToStream(full); }), "Cannot write to output stream");
}

TEST(XmlBufferedStreams, BytesArriveWholeAndInOrder) {
  const std::string bytes = Pattern(100003, 7);
  for (std::size_t bufferSize : {1u, 7u, 4096u, 200000u}) {
    for (std::int64_t piece : {1, 5, 4096, 150000}) {
      SCOPED_TRACE(std::to_string(bufferSize) + " " + std::to_string(piece));
      TrickleStream source(bytes);
      TsdBufferedReadStream reader(source, bufferSize);
      std::string head(10, '\0');
      ASSERT_EQ(reader.Read(head.data(), 10), 10);
      EXPECT_EQ(reader.GetPosition(), 10) << "the position counts what was handed out";
      EXPECT_EQ(head + ReadAll(reader, piece), bytes);
      reader.SetPosition(3);
      std::string again(4, '\0');
      reader.Read(again.data(), 4);
      EXPECT_EQ(again, bytes.substr(3, 4)) << "a seek drops what was buffered";

      TMemoryStream target;
      TsdBufferedWriteStream writer(target, bufferSize);
      for (std::size_t at = 0; at < bytes.size(); at += static_cast<std::size_t>(piece))
        writer.WriteBuffer(bytes.data() + at,
                           static_cast<std::int64_t>(std::min<std::size_t>(piece, bytes.size() - at)));
      EXPECT_EQ(writer.GetPosition(), static_cast<std::int64_t>(bytes.size()));
      writer.Flush();
      EXPECT_EQ(Text(target), bytes);
    }
  }
  TMemoryStream target;
  {
    TsdBufferedWriteStream writer(target);
    writer.WriteBuffer("abc", 3);
    EXPECT_EQ(target.GetSize(), 0) << "small writes wait in the buffer";
  }
  EXPECT_EQ(target.GetSize(), 0) << "what is not flushed is dropped";
  FullStream full;
  TsdBufferedWriteStream toFull(full);
  toFull.WriteBuffer("abc", 3);
  EXPECT_EQ(MessageOf([&] { toFull.Flush(); }), "Cannot write to output stream");
}

TEST(XmlStringStream, ReadsTheTextInPlaceAndWritesNothing) {
  const std::string text = "<r>\xC3\xA9</r>";
  TsdUTF8StringStream stream(text);
  EXPECT_EQ(stream.GetSize(), 9);
  EXPECT_EQ(ReadAll(stream, 3), text);
  stream.SetPosition(3);
  EXPECT_EQ(ReadAll(stream, 100), text.substr(3));
  EXPECT_EQ(stream.Write("x", 1), 0);
  EXPECT_EQ(MessageOf([&] { stream.WriteBuffer("x", 1); }), "Stream write error");
}

// Nodes parsed one after the other from one stream, each taking what it
// uses; stray text gives a blank node and is used up, so a loop ends.
TEST(XmlSurplusReader, NodesParsedOneAfterTheOther) {
  TrickleStream source("<a x='1'>t<b/></a>\r\n <!--c--> stray <B/>\n<?p q?>tail");
  TsdSurplusReader reader(source);
  std::vector<std::string> read;
  for (int guard = 0; !reader.Peek().empty() && guard < 10; ++guard) {
    auto node = TXmlNode::Create(nullptr);
    node->ParseFromStream(reader);
    read.push_back(node->IsBlank() ? "blank" : node->WriteToString());
  }
  EXPECT_EQ(read, (std::vector<std::string>{"<a x='1'>t<b/></a>", "<!--c-->", "blank", "<B></B>", "<?p q?>", "blank"}));

  TXmlDocument doc("Root");
  doc.DropComments = true;
  TXmlNode* root = doc.GetRoot();
  root->ParseFromString("<Shape Index=\"3\"><!--x--><Left>1.5</Left></Shape><Other/>");
  EXPECT_EQ(root->GetName(), "Shape");
  EXPECT_EQ(root->GetChildCount(), 1) << "the document's option drops the comment";
  EXPECT_EQ(root->ReadChildFloat("Left", 0), 1.5);
  EXPECT_EQ(root->GetDocument(), &doc);
  EXPECT_EQ(root->FindChild("Left")->GetDocument(), &doc);
  EXPECT_EQ(doc.WriteToString(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Shape Index=\"3\"><Left>1.5</Left></Shape>\n");
}

// Stray text at the top level is skipped, in any encoding and however long.
TEST(XmlDocument, StrayTopLevelTextIsSkipped) {
  const std::vector<std::string> texts = {"x<a>1</a>", "<a>1</a>x", std::string("<a>1</a>\0", 9),
                                          "<?xml version=\"1.0\"?>junk > ]]> <a>1</a> &amp; more",
                                          std::string(200000, 'y') + "<a>1</a>" + std::string(200000, '\0')};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 30));
    for (const std::string& bytes : {text, "\xFF\xFE" + Iconv("UTF-16LE", text)}) {
      TXmlDocument doc;
      doc.StrictStructure = true;
      EXPECT_EQ(Loaded(doc, bytes), "1");
      EXPECT_EQ(doc.GetRoot()->GetName(), "a");
    }
  }
  TXmlDocument doc;
  EXPECT_EQ(MessageOf([&] { doc.ReadFromString("only text"); }), "No root element found in xml");
}

// Loading through a stream that gives a few bytes at a time reads what
// loading the whole gives, for each road through the codec.
TEST(XmlDocument, LoadingInSmallPiecesReadsTheSameTree) {
  const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Label><Text>" + Emoji(3000) +
                           "</Text><Memo>&lt;\xCE\xB1&gt;</Memo></Label>";
  const std::string greek =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-7\"?><Label><Text>\xCE\xB1\xCE\xB2</Text></Label>";
  const std::string inputs[] = {text, "\xEF\xBB\xBF" + text, "\xFE\xFF" + Iconv("UTF-16BE", text),
                                "\xFF\xFE" + Iconv("UTF-16LE", text), Iconv("ISO-8859-7", greek)};
  for (const std::string& bytes : inputs) {
    TXmlDocument whole, pieces;
    Loaded(whole, bytes);
    TrickleStream trickle(bytes);
    pieces.LoadFromStream(trickle);
    EXPECT_EQ(pieces.WriteToString(), whole.WriteToString());
    EXPECT_EQ(pieces.ExternalEncoding, whole.ExternalEncoding);
    EXPECT_EQ(Canonical(*pieces.GetRoot()), CanonicalByLibxml2(bytes));
    TXmlDocument again;  // saved in the encoding it was read in
    Loaded(again, Saved(pieces));
    EXPECT_EQ(again.WriteToString(), whole.WriteToString());
    EXPECT_EQ(again.ExternalEncoding, whole.ExternalEncoding);
  }
}
