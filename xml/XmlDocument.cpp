#include "xml/XmlDocument.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/rtl/Strings.h"
#include "xml/BufferedStreams.h"
#include "xml/CodecStream.h"
#include "xml/NodePool.h"
#include "xml/XmlEncoding.h"
#include "xml/Utf8StringStream.h"
#include "xml/XmlParser.h"
#include "xml/XmlWriter.h"

using xml::detail::NodePool;

TXmlDocument::TXmlDocument() { Clear(); }

TXmlDocument::TXmlDocument(std::string_view rootName) : TXmlDocument() { GetRoot()->SetName(rootName); }

TXmlDocument::~TXmlDocument() { ReleaseTree(); }

void TXmlDocument::ReleaseTree() {
  if (!Pool) return;
  if (Pool->IsPristine()) {
    // Nothing in the tree owns memory of its own: the pool goes as a whole.
    Container.release();
    Pool->ReleaseWithTree();
  } else {
    Container.reset();
    Pool->Release();
  }
  Pool = nullptr;
}

void TXmlDocument::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TXmlDocument*>(source);
  if (!other) return TPersistent::Assign(source);
  if (other == this) return;
  BinaryEncoding = other->BinaryEncoding;
  ExternalEncoding = other->ExternalEncoding;
  FloatDigits = other->FloatDigits;
  FloatAllowExponent = other->FloatAllowExponent;
  IndentString = other->IndentString;
  Layout = other->Layout;
  WriteDefaults = other->WriteDefaults;
  ZoneInDateTimes = other->ZoneInDateTimes;
  FullEndTags = other->FullEndTags;
  DropComments = other->DropComments;
  StrictStructure = other->StrictStructure;
  ResetContainer();
  Container->Assign(other->Container.get());
}

void TXmlDocument::SetDefaults() {
  BinaryEncoding = xbBase64;
  ExternalEncoding = xeUtf8;
  FloatDigits = 6;
  FloatAllowExponent = true;
  IndentString = "  ";
  Layout = xlCompact;
  WriteDefaults = true;
  ZoneInDateTimes = false;
  FullEndTags = false;
  DropComments = false;
}

// Each fresh tree gets a fresh pool, so text of an earlier load is freed as
// soon as no node needs it.
void TXmlDocument::ResetContainer() {
  ReleaseTree();
  Pool = NodePool::Create();
  Container.reset(TXmlNode::NewNode(Pool, this, nkElement));
}

void TXmlDocument::Clear() {
  SetDefaults();
  ResetContainer();
  auto declaration = TXmlNode::CreateOfKind(this, nkDeclaration);
  declaration->SetName("xml");
  declaration->AddAttribute("version", "1.0");
  declaration->AddAttribute("encoding", "UTF-8");
  Container->AppendChild(std::move(declaration));
  Container->AppendChild(TXmlNode::Create(this));
}

bool TXmlDocument::IsEmpty() const {
  const TXmlNode* root = GetRoot();
  return !root || root->IsBlank();
}

TXmlNode* TXmlDocument::GetRoot() const {
  for (TXmlNode* node : Container->Children) {
    if (node->GetKind() == nkElement) return node;
  }
  return nullptr;
}

std::string_view TXmlDocument::GetLineBreak() const { return Layout == xlReadable ? "\r\n" : "\n"; }

// ---- loading

std::string_view TXmlDocument::CopyToPool(std::string_view text) {
  char* copy = Pool->AllocateArray<char>(text.size());
  std::memcpy(copy, text.data(), text.size());
  return {copy, text.size()};
}

// The whole stream, read in blocks into the pool (the parsed tree keeps views
// into it). Expected is the size it most likely has.
std::string_view TXmlDocument::ReadToPool(TStream& stream, std::int64_t expected) {
  std::size_t capacity = static_cast<std::size_t>(expected) + 1;
  char* text = Pool->AllocateArray<char>(capacity);
  std::size_t used = 0;
  while (true) {
    if (used == capacity) {
      if (capacity > std::numeric_limits<std::uint32_t>::max()) throw EXmlError("XML text too large");
      char* larger = Pool->AllocateArray<char>(capacity * 2);
      std::memcpy(larger, text, used);
      text = larger;
      capacity *= 2;
    }
    const std::int64_t n = stream.Read(text + used, static_cast<std::int64_t>(capacity - used));
    if (n <= 0) break;
    used += static_cast<std::size_t>(n);
  }
  return {text, used};
}

void TXmlDocument::LoadFromStream(TStream& stream) {
  const std::int64_t size = stream.Remaining();
  if (static_cast<std::uint64_t>(size) > std::numeric_limits<std::uint32_t>::max())
    throw EXmlError("XML text too large");
  TsdBufferedReadStream buffered(stream);
  TsdUtf8Stream codec(&buffered);
  const std::string_view text = ReadText(codec, size);
  ExternalEncoding = codec.GetEncoding();
  ParseText(text);
}

void TXmlDocument::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TXmlDocument::ReadFromString(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  TsdUTF8StringStream stream(text);
  ParseText(ReadText(stream, static_cast<std::int64_t>(text.size())));
}

// Empties the tree and reads the stream's text into a fresh pool. Text that
// is not well-formed UTF-8 is read with U+FFFD for what is not.
std::string_view TXmlDocument::ReadText(TStream& stream, std::int64_t expected) {
  ResetContainer();
  const std::string_view text = ReadToPool(stream, expected);
  return xml::detail::IsValidUtf8(text) ? text : CopyToPool(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(text)));
}

void TXmlDocument::ParseText(std::string_view text) {
  if (OnProgress) OnProgress(*this, 0);
  xml::detail::ParseNodes(*Container, text, this, DropComments, false);
  CheckStructure();
}

void TXmlDocument::CheckStructure() const {
  int elements = 0, declarations = 0, docTypes = 0;
  bool docTypeAfterRoot = false, cdata = false, declarationFirst = true;
  for (std::uint32_t i = 0; i < Container->Children.Count; ++i) {
    switch (Container->Children.Items[i]->GetKind()) {
      case nkElement: ++elements; break;
      case nkDeclaration:
        ++declarations;
        declarationFirst = declarationFirst && i == 0;
        break;
      case nkDocType:
        ++docTypes;
        docTypeAfterRoot = docTypeAfterRoot || elements > 0;
        break;
      case nkCData: cdata = true; break;
      default: break;
    }
  }
  if (elements == 0) throw EXmlError("No root element found in xml");
  if (!StrictStructure) return;
  if (elements > 1) throw EXmlError("More than one root element found in xml");
  if (declarations > 1) throw EXmlError("More than one xml declaration found in xml");
  if (declarations == 1 && !declarationFirst) throw EXmlError("Xml declaration must be first element");
  if (docTypes > 1) throw EXmlError("More than one doctype declaration found in root");
  if (docTypeAfterRoot) throw EXmlError("Doctype declaration found after root element");
  if (cdata) throw EXmlError("No CDATA allowed in root");
}

// ---- saving

std::string TXmlDocument::WriteToString() const {
  if (StrictStructure && !GetRoot()) throw EXmlError("XML root element not defined.");
  std::string text;
  const std::string_view lineBreak = GetLineBreak();
  for (const TXmlNode* node : Container->Children) {
    xml::detail::WriteNode(*node, text, this);
    text.append(lineBreak);
  }
  return text;
}

// The document's text on its way into a stream, in the document's encoding;
// 8-bit files in the character set their declaration names.
class TXmlDocument::EncodedOutput {
public:
  EncodedOutput(TStream& stream, const TXmlDocument& document) : Buffered(stream), Codec(&Buffered) {
    const TXmlNode& container = *document.Container;
    const TXmlNode* declaration = container.GetChildCount() > 0 ? container.GetChild(0) : nullptr;
    Codec.SetEncoding(document.ExternalEncoding);
    if (declaration && declaration->GetKind() == nkDeclaration) Codec.SetCharset(declaration->ReadAttrString("encoding"));
  }
  // Checks the encoding even for no text.
  void Write(std::string_view text) { Codec.Write(text.data(), static_cast<std::int64_t>(text.size())); }
  void Flush() { Buffered.Flush(); }

private:
  TsdBufferedWriteStream Buffered;
  TsdUtf8Stream Codec;
};

void TXmlDocument::SaveToStream(TStream& stream) const {
  EncodedOutput output(stream, *this);
  output.Write(WriteToString());
  output.Flush();
}

void TXmlDocument::SaveToStream(TStream& stream, const std::function<bool(TXmlNode& root)>& more) {
  if (StrictStructure && !GetRoot()) throw EXmlError("XML root element not defined.");
  EncodedOutput output(stream, *this);
  const auto emit = [&output](std::string_view text) { output.Write(text); };
  const TXmlNode* root = GetRoot();
  output.Write({});
  for (TXmlNode* node : Container->Children) {
    if (node == root) {
      xml::detail::WriteGrowingNode(*node, more, emit, this);
    } else {
      std::string text;
      xml::detail::WriteNode(*node, text, this);
      output.Write(text);
    }
    output.Write(GetLineBreak());
  }
  output.Flush();
}

void TXmlDocument::SaveToFile(const std::string& fileName) const {
  // Encoded first, so a document that cannot be written leaves the file alone.
  TMemoryStream encoded;
  SaveToStream(encoded);
  TFileStream stream(fileName, fmCreate);
  const auto size = encoded.GetSize();
  if (stream.Write(encoded.Memory(), size) != size) throw EXmlError("Cannot write to output stream");
}
