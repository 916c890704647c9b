#include "xml/XmlNode.h"

#include <string>
#include <vector>

#include "platform/rtl/Format.h"
#include "xml/NodePool.h"
#include "xml/SurplusReader.h"
#include "xml/Utf8StringStream.h"
#include "xml/XmlDocument.h"
#include "xml/XmlEscape.h"
#include "xml/XmlParser.h"
#include "xml/XmlWriter.h"

using xml::detail::NodePool;
using xml::detail::NodeText;

namespace {

// Characters that would change how a written name reads back.
bool IsIllegalNameChar(char c) {
  return static_cast<unsigned char>(c) < 0x20 || std::string_view(" <>&\"'=/!?").find(c) != std::string_view::npos;
}

void CheckName(std::string_view name, const char* format) {
  for (const char c : name) {
    if (IsIllegalNameChar(c)) throw EXmlError(rtl::Format(format, name));
  }
}

[[noreturn]] void IndexError() { throw EListError("List index out of bounds"); }

std::string_view Unquoted(std::string_view text) {
  if (text.empty() || (text.front() != '"' && text.front() != '\'')) return text;
  const char quote = text.front();
  text.remove_prefix(1);
  if (!text.empty() && text.back() == quote) text.remove_suffix(1);
  return text;
}

std::string Resolved(std::string_view text) {
  return text.find_first_of("&\r") == std::string_view::npos ? std::string(text) : xml::UnescapeText(text);
}

std::string ResolvedAttribute(std::string_view value) {
  return value.find_first_of("&\t\n\r") == std::string_view::npos ? std::string(value)
                                                                     : xml::UnescapeAttribute(value);
}

// A CDATA section holds its text as written: it cannot hold its own end, and
// its line breaks are kept as they read back, LF.
std::string CDataText(std::string_view value) {
  if (value.find("]]>") != std::string_view::npos) throw EXmlError("A CDATA section cannot hold \"]]>\"");
  return xml::ReplaceUnwritable(xml::NormalizeLineBreaks(value));
}

// A copy of another node's text: within one pool a view of pool memory may be
// shared, anything else is copied.
void CopyText(NodeText& target, const NodeText& source, bool samePool) {
  if (samePool && !source.Owned) {
    target.Borrow(source.View());
  } else {
    target.Copy(source.View());
  }
}

}  // namespace

// ---- TXmlNodeList

TXmlNode* TXmlNodeList::GetItem(int index) const {
  return index >= 0 && index < GetCount() ? Items[static_cast<std::size_t>(index)] : nullptr;
}

// ---- life

static_assert(alignof(TXmlNode) <= alignof(void*), "nodes live in pointer-aligned pool blocks");

std::unique_ptr<TXmlNode> TXmlNode::CreateOfKind(TXmlDocument* document, TXmlNodeKind kind) {
  if (document) {
    document->Pool->MarkModified();  // a node of the pool outside the tree
    return std::unique_ptr<TXmlNode>(NewNode(document->Pool, document, kind));
  }
  NodePool* pool = NodePool::Create();
  std::unique_ptr<TXmlNode> node(NewNode(pool, nullptr, kind));
  pool->Release();  // the node holds the pool now
  return node;
}

std::unique_ptr<TXmlNode> TXmlNode::Create(TXmlDocument* document) { return CreateOfKind(document, nkElement); }

std::unique_ptr<TXmlNode> TXmlNode::CreateNamed(TXmlDocument* document, std::string_view name) {
  auto node = Create(document);
  node->SetName(name);
  return node;
}

std::unique_ptr<TXmlNode> TXmlNode::CreateNamedValue(TXmlDocument* document, std::string_view name,
                                                     std::string_view value) {
  auto node = CreateNamed(document, name);
  node->SetValue(value);
  return node;
}

TXmlNode::~TXmlNode() {
  FreeOwnTexts();
  if (Children.Count == 0) {
    Children.Free();
    return;
  }
  // Children are taken apart with a stack of our own, never by recursion.
  std::vector<TXmlNode*> pending(Children.begin(), Children.end());
  Children.Free();
  while (!pending.empty()) {
    TXmlNode* node = pending.back();
    pending.pop_back();
    pending.insert(pending.end(), node->Children.begin(), node->Children.end());
    node->Children.Free();
    delete node;
  }
}

void TXmlNode::operator delete(TXmlNode* node, std::destroying_delete_t) {
  NodePool* pool = node->Pool;
  node->~TXmlNode();
  pool->FreeNode(node);
}

void TXmlNode::FreeOwnTexts() {
  Name.Free();
  Value.Free();
  for (NodeText& attribute : Attributes) attribute.Free();
  Attributes.Free();
}

// ---- identity and value

void TXmlNode::SetName(std::string_view name) {
  if (name == Name.View()) return;
  CheckName(name, "Illegal character in node name \"%s\"");
  Pool->MarkModified();
  Name.Copy(name);
}

std::string TXmlNode::GetValue() const {
  std::string_view raw = Value.View();
  if (Kind == nkCData) return xml::NormalizeLineBreaks(raw);
  if (Kind != nkElement) return Resolved(raw);
  // A CR is written as a reference, so white space can also come from one.
  std::string value = Resolved(xml::detail::TrimSpace(raw));
  const std::string_view trimmed = xml::detail::TrimSpace(value);
  if (trimmed.size() != value.size()) value = std::string(trimmed);
  return value;
}

std::string TXmlNode::GetStringValue() const { return Kind == nkElement ? Resolved(Value.View()) : GetValue(); }

void TXmlNode::SetValue(std::string_view value) {
  Pool->MarkModified();
  Value.Copy(Kind == nkCData ? CDataText(value) : xml::EscapeText(value));
}

bool TXmlNode::IsEmpty() const { return Value.Empty() && Children.Count == 0 && Attributes.Count == 0; }

bool TXmlNode::IsBlank() const { return Name.Empty() && IsEmpty(); }

void TXmlNode::Clear() {
  FreeOwnTexts();
  ClearChildren();
}

void TXmlNode::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TXmlNode*>(source);
  if (!other) return TPersistent::Assign(source);
  if (other == this) return;
  for (const TXmlNode* n = this; n; n = n->Parent) {
    if (n == other) {
      // Copying an ancestor into its descendant: take a snapshot first.
      auto snapshot = Create(nullptr);
      snapshot->Assign(other);
      return Assign(snapshot.get());
    }
  }
  for (const TXmlNode* n = other->Parent; n; n = n->Parent) {
    if (n == this) {
      auto snapshot = Create(nullptr);
      snapshot->Assign(other);
      return Assign(snapshot.get());
    }
  }
  Clear();
  Pool->MarkModified();
  std::vector<std::pair<const TXmlNode*, TXmlNode*>> pending{{other, this}};
  while (!pending.empty()) {
    const auto [from, to] = pending.back();
    pending.pop_back();
    const bool samePool = from->Pool == to->Pool;
    to->Kind = from->Kind;
    CopyText(to->Name, from->Name, samePool);
    CopyText(to->Value, from->Value, samePool);
    for (const NodeText& attribute : from->Attributes) {
      NodeText copy;
      CopyText(copy, attribute, samePool);
      to->Attributes.Append(copy);
    }
    for (const TXmlNode* child : from->Children) {
      TXmlNode* copy = NewNode(to->Pool, to->Document, child->Kind);
      to->AdoptChild(copy, to->Children.Count);
      pending.emplace_back(child, copy);
    }
  }
}

// ---- attributes

std::string_view TXmlNode::AttributeText(int index) const {
  if (index < 0 || index >= GetAttributeCount()) IndexError();
  return Attributes.Items[index].View();
}

std::string TXmlNode::GetAttributeName(int index) const {
  const std::string_view text = AttributeText(index);
  return std::string(text.substr(0, text.find('=')));
}

std::string TXmlNode::GetAttributeValue(int index) const {
  const std::string_view text = AttributeText(index);
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {};
  return ResolvedAttribute(Unquoted(text.substr(equals + 1)));
}

int TXmlNode::FindAttribute(std::string_view name) const {
  for (std::uint32_t i = 0; i < Attributes.Count; ++i) {
    const std::string_view text = Attributes.Items[i].View();
    if (text.size() > name.size() && text[name.size()] == '=' &&
        xml::detail::SameName(text.substr(0, name.size()), name))
      return static_cast<int>(i);
  }
  return -1;
}

bool TXmlNode::HasAttribute(std::string_view name) const { return FindAttribute(name) >= 0; }

void TXmlNode::AddAttribute(std::string_view name, std::string_view value) {
  CheckName(name, "Illegal character in attribute name \"%s\"");
  Pool->MarkModified();
  NodeText text;
  text.Copy(std::string(name) + "=\"" + xml::EscapeAttribute(value) + "\"");
  Attributes.Append(text);
}

void TXmlNode::AddAttributeInteger(std::string_view name, std::int32_t value) {
  AddAttribute(name, std::to_string(value));
}

void TXmlNode::SetAttributeText(std::string_view name, std::string_view value) {
  const int index = FindAttribute(name);
  if (index < 0) return AddAttribute(name, value);
  Pool->MarkModified();
  Attributes.Items[index].Copy(std::string(name) + "=\"" + xml::EscapeAttribute(value) + "\"");
}

void TXmlNode::ClearAttributes() {
  for (NodeText& attribute : Attributes) attribute.Free();
  Attributes.Free();
}

std::string TXmlNode::GetAttributesText() const {
  std::string text;
  for (const NodeText& attribute : Attributes) {
    text += ' ';
    text.append(attribute.View());
  }
  return text;
}

// ---- children

TXmlNode* TXmlNode::GetChild(int index) const {
  return index >= 0 && index < GetChildCount() ? Children.Items[index] : nullptr;
}

TXmlNode* TXmlNode::NewChild(std::string_view name) {
  std::unique_ptr<TXmlNode> node(NewNode(Pool, Document, nkElement));
  node->SetName(name);
  return node.release();
}

void TXmlNode::AdoptChild(TXmlNode* node, std::uint32_t index) {
  Pool->MarkModified();
  Children.Insert(index, node);
  node->Parent = this;
}

TXmlNode* TXmlNode::AddChild(std::string_view name) {
  TXmlNode* node = NewChild(name);
  AdoptChild(node, Children.Count);
  return node;
}

TXmlNode* TXmlNode::InsertNewChild(std::string_view name, int index) {
  if (index < 0 || index > GetChildCount()) IndexError();
  TXmlNode* node = NewChild(name);
  AdoptChild(node, static_cast<std::uint32_t>(index));
  return node;
}

int TXmlNode::AppendChild(std::unique_ptr<TXmlNode> node) {
  if (!node) return -1;
  const int index = GetChildCount();
  InsertChild(std::move(node), index);
  return index;
}

void TXmlNode::InsertChild(std::unique_ptr<TXmlNode> node, int index) {
  if (!node) return;
  if (index < 0 || index > GetChildCount()) IndexError();
  for (const TXmlNode* n = this; n; n = n->Parent) {
    if (n == node.get()) throw EXmlError("Cannot insert a node into its own subtree");
  }
  if (node->Parent) node = node->Parent->DetachChild(node.release());
  node->SetDocumentOfSubtree(Document);
  AdoptChild(node.release(), static_cast<std::uint32_t>(index));
}

void TXmlNode::SetDocumentOfSubtree(TXmlDocument* document) {
  std::vector<TXmlNode*> pending{this};
  while (!pending.empty()) {
    TXmlNode* node = pending.back();
    pending.pop_back();
    if (node->Document == document && node != this) continue;
    node->Document = document;
    pending.insert(pending.end(), node->Children.begin(), node->Children.end());
  }
}

TXmlNode* TXmlNode::FindChild(std::string_view name) const { return GetChild(IndexOfChildName(name)); }

TXmlNode* TXmlNode::FindOrAddChild(std::string_view name) {
  TXmlNode* node = FindChild(name);
  return node ? node : AddChild(name);
}

int TXmlNode::IndexOfChildName(std::string_view name) const { return IndexOfChildNameFrom(name, 0); }

int TXmlNode::IndexOfChildNameFrom(std::string_view name, int start) const {
  for (int i = std::max(start, 0); i < GetChildCount(); ++i) {
    if (xml::detail::SameName(Children.Items[i]->Name.View(), name)) return i;
  }
  return -1;
}

void TXmlNode::FindChildren(std::string_view name, TXmlNodeList& list) const {
  list.Clear();
  for (TXmlNode* child : Children) {
    if (xml::detail::SameName(child->Name.View(), name)) list.Add(child);
  }
}

void TXmlNode::DeleteChild(int index) {
  if (index < 0 || index >= GetChildCount()) return;
  TXmlNode* node = Children.Items[index];
  Children.Erase(static_cast<std::uint32_t>(index));
  delete node;
}

std::unique_ptr<TXmlNode> TXmlNode::DetachChild(TXmlNode* node) {
  for (std::uint32_t i = 0; i < Children.Count; ++i) {
    if (Children.Items[i] != node) continue;
    Pool->MarkModified();
    Children.Erase(i);
    node->Parent = nullptr;
    node->SetDocumentOfSubtree(nullptr);
    return std::unique_ptr<TXmlNode>(node);
  }
  return nullptr;
}

void TXmlNode::ClearChildren() {
  std::vector<TXmlNode*> children(Children.begin(), Children.end());
  Children.Free();
  for (TXmlNode* child : children) delete child;
}

void TXmlNode::DeleteSelf() {
  if (!Parent) return;
  for (std::uint32_t i = 0; i < Parent->Children.Count; ++i) {
    if (Parent->Children.Items[i] == this) return Parent->DeleteChild(static_cast<int>(i));
  }
}

// ---- text form

std::string TXmlNode::WriteToString() const {
  std::string text;
  xml::detail::WriteNode(*this, text, Document);
  return text;
}

void TXmlNode::WriteToStream(TStream& stream) const {
  const std::string text = WriteToString();
  stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

void TXmlNode::ParseFromString(std::string_view text) {
  TsdUTF8StringStream stream(text);
  TsdSurplusReader reader(stream);
  ParseFromStream(reader);
}

// The node is parsed where the reader's text lies and copied, so the tree
// keeps nothing of the text after it.
void TXmlNode::ParseFromStream(TsdSurplusReader& reader) {
  const std::string_view text = reader.Peek();
  NodePool* pool = NodePool::Create();
  std::unique_ptr<TXmlNode> container(NewNode(pool, nullptr, nkElement));
  pool->Release();
  reader.Consume(xml::detail::ParseNodes(*container, text, nullptr, Document && Document->DropComments, true));
  if (const TXmlNode* parsed = container->GetChild(0)) {
    Assign(parsed);
  } else {
    Clear();
  }
}

// ---- layout of this node

int TXmlNode::Depth() const {
  int depth = 0;
  const TXmlNode* top = this;
  for (; top->Parent; top = top->Parent) ++depth;
  const bool inDocument = top->Document && top->Document->Container.get() == top;
  return inDocument ? depth - 1 : depth;
}

std::string_view TXmlNode::LineBreak() const {
  if (!Document) return {};
  switch (Document->Layout) {
    case xlReadable: return "\r\n";
    case xlCompact: return {};
    default: return "\n";
  }
}
