#include "xml/XmlDocument.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

#include "platform/rtl/Strings.h"
#include "xml/NodePool.h"
#include "xml/XmlEncoding.h"
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

void TXmlDocument::LoadFromStream(TStream& stream) {
  using namespace xml::detail;
  const std::int64_t size = stream.Remaining();
  if (static_cast<std::uint64_t>(size) > std::numeric_limits<std::uint32_t>::max()) throw EXmlError("XML text too large");
  ResetContainer();
  char head[4] = {};
  const auto headSize = static_cast<std::size_t>(std::min<std::int64_t>(size, 4));
  stream.ReadBuffer(head, static_cast<std::int64_t>(headSize));
  std::size_t bomLength = 0;
  TXmlEncoding encoding = DetectEncoding({head, headSize}, bomLength);
  CheckSupported(encoding);
  ExternalEncoding = encoding;

  if (IsUtf16(encoding)) {
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::memcpy(bytes.data(), head, headSize);
    stream.ReadBuffer(bytes.data() + headSize, size - static_cast<std::int64_t>(headSize));
    return ParseText(CopyToPool(Utf16BytesToUtf8(std::string_view(bytes).substr(bomLength), IsBigEndian(encoding))));
  }
  char* raw = Pool->AllocateArray<char>(static_cast<std::size_t>(size));
  std::memcpy(raw, head, headSize);
  stream.ReadBuffer(raw + headSize, size - static_cast<std::int64_t>(headSize));
  std::string_view text(raw + bomLength, static_cast<std::size_t>(size) - bomLength);
  if (encoding == xe8Bit) {
    // Without a byte-order mark the declaration names the character set;
    // XML without one is UTF-8.
    const std::string_view declared = DeclaredEncoding(text);
    const std::optional<std::string> decoded =
        declared.empty() || SameName(declared, "UTF-8") ? std::nullopt : DeclaredTextToUtf8(text, declared);
    if (decoded) return ParseText(CopyToPool(*decoded));
    ExternalEncoding = xeUtf8;
  }
  if (!IsValidUtf8(text)) text = CopyToPool(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(text)));
  ParseText(text);
}

void TXmlDocument::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TXmlDocument::ReadFromString(std::string_view text) {
  ResetContainer();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::string_view copy = CopyToPool(text);
  if (!xml::detail::IsValidUtf8(copy)) copy = CopyToPool(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(copy)));
  ParseText(copy);
}

void TXmlDocument::ParseText(std::string_view utf8) {
  if (OnProgress) OnProgress(*this, 0);
  xml::detail::ParseNodes(*Container, utf8, this, DropComments, false);
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

// 8-bit files are written in the character set their declaration names.
std::string TXmlDocument::EncodedBytes() const {
  xml::detail::CheckSupported(ExternalEncoding);
  const TXmlNode* declaration = Container->GetChildCount() > 0 ? Container->GetChild(0) : nullptr;
  const std::string charset =
      declaration && declaration->GetKind() == nkDeclaration ? declaration->ReadAttrString("encoding") : "";
  return xml::detail::EncodeText(WriteToString(), ExternalEncoding, charset);
}

void TXmlDocument::SaveToStream(TStream& stream) const {
  const std::string bytes = EncodedBytes();
  if (stream.Write(bytes.data(), static_cast<std::int64_t>(bytes.size())) != static_cast<std::int64_t>(bytes.size()))
    throw EXmlError("Cannot write to output stream");
}

void TXmlDocument::SaveToFile(const std::string& fileName) const {
  // Encoded first, so a document that cannot be written leaves the file alone.
  const std::string bytes = EncodedBytes();
  TFileStream stream(fileName, fmCreate);
  if (stream.Write(bytes.data(), static_cast<std::int64_t>(bytes.size())) != static_cast<std::int64_t>(bytes.size()))
    throw EXmlError("Cannot write to output stream");
}
