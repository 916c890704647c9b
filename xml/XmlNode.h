#pragma once
// One node of an XML tree. Persistent objects save and load themselves
// through the typed readers and writers here: each property is a child
// element named like the property with its value as text.
//
// Memory: nodes are made only by the Create* factories and by the tree
// operations; a node owns its children. Values are kept as they stand in the
// file (the five entities escaped) and resolved by GetValue. Every operation
// works without recursion, so trees of any depth are safe.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Brush.h"
#include "platform/gdi/Color.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Pen.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Stream.h"
#include "xml/NodeData.h"
#include "xml/NodePool.h"
#include "xml/XmlTypes.h"

class TXmlDocument;
class TXmlNode;
class TsdSurplusReader;

namespace xml::detail {
class Parser;
class Writer;
struct NodeAccess;
}  // namespace xml::detail

// A list of nodes that does not own them, filled by FindChildren.
class TXmlNodeList {
public:
  int GetCount() const { return static_cast<int>(Items.size()); }
  TXmlNode* GetItem(int index) const;  // nil out of range
  void Add(TXmlNode* node) { Items.push_back(node); }
  void Clear() { Items.clear(); }

private:
  std::vector<TXmlNode*> Items;
};

class TXmlNode final : public TPersistent {
public:
  // A new node for the document (which gives its options; nil for none).
  static std::unique_ptr<TXmlNode> Create(TXmlDocument* document);
  static std::unique_ptr<TXmlNode> CreateNamed(TXmlDocument* document, std::string_view name);
  static std::unique_ptr<TXmlNode> CreateNamedValue(TXmlDocument* document, std::string_view name,
                                                    std::string_view value);
  static std::unique_ptr<TXmlNode> CreateOfKind(TXmlDocument* document, TXmlNodeKind kind);

  ~TXmlNode() override;
  // Nodes live in their pool, so deleting one hands its block back there.
  void operator delete(TXmlNode* node, std::destroying_delete_t);

  std::string ClassName() const override { return "TXmlNode"; }
  // Copies kind, name, value, attributes and the whole subtree of another
  // node; the copy keeps this node's place and document.
  void Assign(const TPersistent* source) override;

  // ---- identity and value
  TXmlNodeKind GetKind() const { return Kind; }
  std::string_view GetName() const { return Name.View(); }
  // Raises EXmlError "Illegal character in node name "%s"" for white space
  // or characters that would break the markup (< > & " ' = / and controls).
  void SetName(std::string_view name);
  // Line breaks written as CR LF or CR read as LF, as in every XML reader.
  // Elements: entities resolved, trimmed of white space. CDATA sections: the
  // text as written. Other kinds: entities resolved.
  std::string GetValue() const;
  // Stores the text with & < > ' " and CR escaped, so it reads back as it
  // was; a CDATA section stores it as it is (line breaks as LF) and raises
  // EXmlError for "]]>".
  void SetValue(std::string_view value);
  TXmlNode* GetParent() const { return Parent; }
  TXmlDocument* GetDocument() const { return Document; }
  // No value, no children, no attributes; blank: also no name.
  bool IsEmpty() const;
  bool IsBlank() const;
  // Empties name, value, attributes and children.
  void Clear();

  // ---- attributes (stored as name="escaped value", names without regard to
  // ASCII case; tab, LF and CR escaped too, since readers turn them into
  // blanks when written as they are)
  int GetAttributeCount() const { return static_cast<int>(Attributes.Count); }
  // Raise EListError "List index out of bounds" for a bad index.
  std::string GetAttributeName(int index) const;
  std::string GetAttributeValue(int index) const;
  bool HasAttribute(std::string_view name) const;
  // Append without looking for an attribute of the same name.
  void AddAttribute(std::string_view name, std::string_view value);
  void AddAttributeInteger(std::string_view name, std::int32_t value);
  void ClearAttributes();
  // Every attribute preceded by one blank, as written in a tag.
  std::string GetAttributesText() const;

  // ---- children (names compared without regard to ASCII case)
  int GetChildCount() const { return static_cast<int>(Children.Count); }
  TXmlNode* GetChild(int index) const;  // nil out of range
  TXmlNode* AddChild(std::string_view name);
  TXmlNode* InsertNewChild(std::string_view name, int index);
  // Takes the node (detached, or taken from wherever it was) and gives it this
  // node's document; returns its index, -1 for nil.
  int AppendChild(std::unique_ptr<TXmlNode> node);
  // index 0..count, else EListError "List index out of bounds".
  void InsertChild(std::unique_ptr<TXmlNode> node, int index);
  TXmlNode* FindChild(std::string_view name) const;
  TXmlNode* FindOrAddChild(std::string_view name);
  int IndexOfChildName(std::string_view name) const;
  int IndexOfChildNameFrom(std::string_view name, int start) const;
  void FindChildren(std::string_view name, TXmlNodeList& list) const;
  void DeleteChild(int index);  // nothing out of range
  // Hands a child to the caller; the detached subtree has no document. Nil
  // when the node is not a child of this one.
  std::unique_ptr<TXmlNode> DetachChild(TXmlNode* node);
  void ClearChildren();
  // Deletes this node from its parent; a node without parent belongs to the
  // caller and is left alone.
  void DeleteSelf();

  // ---- this node's value as a typed value (the default when it does not
  // convert)
  bool GetValueAsBool(bool defaultValue) const;
  TDateTime GetValueAsDateTime(TDateTime defaultValue) const;
  double GetValueAsFloat(double defaultValue) const;
  std::int64_t GetValueAsInt64(std::int64_t defaultValue) const;
  std::int32_t GetValueAsInteger(std::int32_t defaultValue) const;

  // ---- typed readers: the default when the attribute or child is missing or
  // does not convert
  bool ReadAttrBool(std::string_view name, bool defaultValue) const;
  TDateTime ReadAttrDateTime(std::string_view name, TDateTime defaultValue) const;
  std::int32_t ReadAttrInteger(std::string_view name, std::int32_t defaultValue) const;
  std::int64_t ReadAttrInt64(std::string_view name, std::int64_t defaultValue) const;
  std::string ReadAttrString(std::string_view name, std::string_view defaultValue = {}) const;
  bool ReadChildBool(std::string_view name, bool defaultValue) const;
  TColor ReadChildColor(std::string_view name, TColor defaultValue) const;
  // Missing children keep the font's values; a missing "Name" gives "Arial".
  void ReadChildFont(std::string_view name, TFont& font) const;
  // A missing element leaves the pen or brush alone; a missing or unreadable
  // child inside it reads as the default: pen "Color" 0, "Mode" pmCopy,
  // "Style" psSolid, "Width" 1; brush "Color" white, "Style" bsSolid.
  void ReadChildPen(std::string_view name, TPen& pen) const;
  void ReadChildBrush(std::string_view name, TBrush& brush) const;
  TDateTime ReadChildDateTime(std::string_view name, TDateTime defaultValue) const;
  double ReadChildFloat(std::string_view name, double defaultValue) const;
  std::int64_t ReadChildInt64(std::string_view name, std::int64_t defaultValue) const;
  std::int32_t ReadChildInteger(std::string_view name, std::int32_t defaultValue) const;
  std::string ReadChildString(std::string_view name, std::string_view defaultValue = {}) const;
  std::u16string ReadChildWideString(std::string_view name, std::u16string_view defaultValue = {}) const;

  // ---- typed writers: a value equal to its default is skipped only when the
  // document's WriteDefaults is off
  void WriteAttrBool(std::string_view name, bool value, bool defaultValue);
  void WriteAttrDateTime(std::string_view name, TDateTime value, TDateTime defaultValue);
  void WriteAttrInteger(std::string_view name, std::int32_t value, std::int32_t defaultValue);
  void WriteAttrInt64(std::string_view name, std::int64_t value, std::int64_t defaultValue);
  void WriteAttrFloat(std::string_view name, double value, double defaultValue);
  void WriteAttrString(std::string_view name, std::string_view value, std::string_view defaultValue = {});
  void WriteChildBool(std::string_view name, bool value, bool defaultValue);
  void WriteChildColor(std::string_view name, TColor value, TColor defaultValue = clBlack);
  // "Name", "Color", "Size", "Bold", "Italic", "Underline", "Strikeout".
  void WriteChildFont(std::string_view name, const TFont& font);
  // "Color", "Mode", "Style", "Width" (ordinals), with the defaults above.
  void WriteChildPen(std::string_view name, const TPen& pen);
  // "Color", "Style".
  void WriteChildBrush(std::string_view name, const TBrush& brush);
  void WriteChildDateTime(std::string_view name, TDateTime value, TDateTime defaultValue);
  void WriteChildFloat(std::string_view name, double value, double defaultValue);
  // "$" and at least digits upper-case hexadecimal digits of the 32-bit value.
  void WriteChildHex(std::string_view name, std::int32_t value, int digits, std::int32_t defaultValue);
  void WriteChildInt64(std::string_view name, std::int64_t value, std::int64_t defaultValue);
  void WriteChildInteger(std::string_view name, std::int32_t value, std::int32_t defaultValue);
  void WriteChildString(std::string_view name, std::string_view value, std::string_view defaultValue = {});
  void WriteChildWideString(std::string_view name, std::u16string_view value, std::u16string_view defaultValue = {});

  // ---- binary values, by the document's binary encoding (Base64 without one)
  // The value becomes the text of the bytes, cut into lines of 76 characters
  // in the readable layout.
  void EncodeBinaryValue(const void* buffer, std::size_t size);
  // Fills exactly size bytes. Raises EXmlError "Missing data in binary
  // stream" when the text holds fewer, "Error while calculating streamlength"
  // for a Base64 text whose length is not a multiple of 4 and "Invalid
  // character in binary stream" for any other malformed text.
  void DecodeBinaryValue(void* buffer, std::size_t size) const;
  std::size_t GetBinaryValueSize() const;
  // The same with Base64 whatever the document says.
  void WriteBase64String(std::string_view bytes);
  std::string ReadBase64String() const;

  // ---- text form
  // The node and its subtree as UTF-8 XML in the document's layout.
  std::string WriteToString() const;
  void WriteToStream(TStream& stream) const;
  // Replaces this node by the first node the reader gives, which uses it
  // and the white space after it; blank when the text does not start with
  // markup, the stray text before the next "<" used then.
  void ParseFromStream(TsdSurplusReader& reader);
  // The same with the text of a string.
  void ParseFromString(std::string_view text);

private:
  // A string value as written: unlike names and numbers, a text keeps its
  // own blanks and line ends at its ends (a label text's padding).
  std::string GetStringValue() const;

  friend class TXmlDocument;
  friend class xml::detail::Parser;
  friend class xml::detail::Writer;
  friend struct xml::detail::NodeAccess;

  // Inline: a parse makes one node for every tag.
  TXmlNode(xml::detail::NodePool* pool, TXmlDocument* document, TXmlNodeKind kind)
      : Document(document), Pool(pool), Kind(kind) {}
  static TXmlNode* NewNode(xml::detail::NodePool* pool, TXmlDocument* document, TXmlNodeKind kind) {
    return new (pool->AllocateNode(sizeof(TXmlNode))) TXmlNode(pool, document, kind);
  }
  TXmlNode* NewChild(std::string_view name);

  void FreeOwnTexts();
  void AdoptChild(TXmlNode* node, std::uint32_t index);
  void SetDocumentOfSubtree(TXmlDocument* document);
  int FindAttribute(std::string_view name) const;
  void SetAttributeText(std::string_view name, std::string_view value);
  std::string_view AttributeText(int index) const;
  TXmlNode* WritableChild(std::string_view name, bool isDefault);
  bool SkipsDefaults() const;
  int FloatDigits() const;
  bool FloatAllowExponent() const;
  bool ZoneInDateTimes() const;
  TXmlBinaryEncoding BinaryEncoding() const;
  int Depth() const;
  std::string_view LineBreak() const;
  void EncodeWith(TXmlBinaryEncoding encoding, const void* buffer, std::size_t size);
  void DecodeWith(TXmlBinaryEncoding encoding, void* buffer, std::size_t size) const;

  xml::detail::NodeText Name;
  xml::detail::NodeText Value;  // as written in the file: entities escaped
  xml::detail::NodeArray<xml::detail::NodeText> Attributes;
  xml::detail::NodeArray<TXmlNode*> Children;
  TXmlNode* Parent = nullptr;
  TXmlDocument* Document = nullptr;
  xml::detail::NodePool* Pool;
  TXmlNodeKind Kind;
};
