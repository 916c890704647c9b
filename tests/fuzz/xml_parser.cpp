// Feeds arbitrary bytes to the XML loader, then walks, reads and writes what
// it made. Every value must be well-formed UTF-8 and the written text must
// load again. The same bytes handed out a few at a time must load the same
// tree; the text saved in UTF-16 must read back as the text itself does;
// nodes parsed one after the other from the bytes must use them up.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "xml/SurplusReader.h"
#include "xml/Utf8StringStream.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// Documents hold well-formed UTF-8; a node parses its text as it stands.
void Exercise(const TXmlNode& top, bool wellFormed = true) {
  std::vector<const TXmlNode*> pending{&top};
  while (!pending.empty()) {
    const TXmlNode* node = pending.back();
    pending.pop_back();
    const std::string value = node->GetValue();
    Require(!wellFormed || rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(value)) == value);
    for (int i = 0; i < node->GetAttributeCount(); ++i) {
      const std::string attribute = node->GetAttributeValue(i);
      Require(!wellFormed || rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(attribute)) == attribute);
      node->ReadAttrBool(node->GetAttributeName(i), false);
    }
    node->GetValueAsFloat(0);
    node->GetValueAsInteger(0);
    node->GetValueAsDateTime(0);
    const std::size_t size = node->GetBinaryValueSize();
    if (size < (1u << 16)) {
      std::string bytes(size, '\0');
      try {
        node->DecodeBinaryValue(bytes.data(), bytes.size());
      } catch (const Exception&) {
      }
    }
    for (int i = 0; i < node->GetChildCount(); ++i) pending.push_back(node->GetChild(i));
  }
}

// A stream that hands out at most Piece bytes per read.
struct TrickleStream : TMemoryStream {
  std::int64_t Piece = 1;
  std::int64_t Read(void* buffer, std::int64_t count) override {
    return TMemoryStream::Read(buffer, count < Piece ? count : Piece);
  }
};

// The tree the reading made as text, or the error that stopped it.
template <class Reading>
std::string Outcome(TXmlDocument& doc, Reading reading) {
  try {
    reading();
  } catch (const Exception& e) {
    return "error " + e.GetMessage();
  }
  try {
    return doc.WriteToString();
  } catch (const Exception& e) {
    return "unwritable " + e.GetMessage();
  }
}

std::string LoadedText(TXmlDocument& doc, TStream& stream) {
  return Outcome(doc, [&] { doc.LoadFromStream(stream); });
}

std::string ReadText(const std::string& text) {
  TXmlDocument doc;
  return Outcome(doc, [&] { doc.ReadFromString(text); });
}

// A document saved in UTF-16, whose mark outweighs what a declaration says,
// loads as the text it writes reads.
void SaveInUtf16(TXmlDocument& doc) {
  std::string written;
  try {
    written = doc.WriteToString();
  } catch (const Exception&) {
    return;  // an unnamed element left by a failed load
  }
  const std::string expected = ReadText(written);
  for (TXmlEncoding encoding : {xeUtf16BE, xeUtf16LE}) {
    doc.ExternalEncoding = encoding;
    TMemoryStream saved;
    doc.SaveToStream(saved);
    saved.SetPosition(0);
    TXmlDocument back;
    Require(LoadedText(back, saved) == expected);
  }
}

void ParseNodeByNode(const std::uint8_t* data, std::size_t size) {
  TsdUTF8StringStream stream({reinterpret_cast<const char*>(data), size});
  TsdSurplusReader reader(stream);
  std::size_t nodes = 0;
  try {
    for (; !reader.Peek().empty(); ++nodes) {
      Require(nodes <= size);
      auto node = TXmlNode::Create(nullptr);
      node->ParseFromStream(reader);
      Exercise(*node, false);
    }
  } catch (const Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TXmlDocument doc;
  TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<std::int64_t>(size));
  stream.SetPosition(0);
  const std::string whole = LoadedText(doc, stream);
  Exercise(doc.GetContainer());

  TrickleStream trickle;
  trickle.Piece = size > 0 ? 1 + data[0] % 7 : 1;
  trickle.WriteBuffer(data, static_cast<std::int64_t>(size));
  trickle.SetPosition(0);
  TXmlDocument pieces;
  Require(LoadedText(pieces, trickle) == whole);
  Require(pieces.ExternalEncoding == doc.ExternalEncoding);

  ParseNodeByNode(data, size);
  SaveInUtf16(doc);
  for (TXmlLayout layout : {xlCompact, xlReadable}) {
    doc.Layout = layout;
    std::string text;
    try {
      text = doc.WriteToString();
    } catch (const Exception&) {
      continue;  // an unnamed element left by a failed load
    }
    TXmlDocument again;
    try {
      again.ReadFromString(text);
    } catch (const Exception&) {
    }
  }
  return 0;
}
