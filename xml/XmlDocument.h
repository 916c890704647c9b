#pragma once
// An XML document: a hidden container node holding the declaration, the root
// element and any other top-level nodes, the options that govern how values
// and text are written, and loading and saving in the supported encodings.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/rtl/Persistent.h"
#include "platform/rtl/Stream.h"
#include "xml/XmlNode.h"
#include "xml/XmlTypes.h"

class TXmlDocument : public TPersistent {
public:
  // An empty document: a declaration (version 1.0, UTF-8) and an unnamed root.
  TXmlDocument();
  explicit TXmlDocument(std::string_view rootName);
  ~TXmlDocument() override;
  TXmlDocument(const TXmlDocument&) = delete;
  TXmlDocument& operator=(const TXmlDocument&) = delete;

  std::string ClassName() const override { return "TXmlDocument"; }
  // Copies the options and the whole tree of another document.
  void Assign(const TPersistent* source) override;

  // ---- options; SetDefaults restores all but StrictStructure
  TXmlBinaryEncoding BinaryEncoding = xbBase64;
  TXmlEncoding ExternalEncoding = xeUtf8;  // set by loading to what the file uses
  int FloatDigits = 6;                     // significant digits, 1..9
  bool FloatAllowExponent = true;
  std::string IndentString = "  ";  // once per level in the readable layout
  TXmlLayout Layout = xlCompact;
  bool WriteDefaults = true;
  bool ZoneInDateTimes = false;  // write and read the local time-zone offset
  bool FullEndTags = false;      // never write <name/>
  bool DropComments = false;     // drop comments inside elements while parsing
  bool StrictStructure = false;  // check the top-level structure

  // Fired while parsing and writing; nothing depends on them.
  std::function<void(const TXmlDocument& sender, std::int64_t position)> OnProgress;
  std::function<void(TXmlDocument& sender, TXmlNode& node)> OnNodeNew;
  std::function<void(TXmlDocument& sender, TXmlNode& node)> OnNodeLoaded;

  void SetDefaults();
  // SetDefaults, then only a declaration and an unnamed root.
  void Clear();
  // No root, or a blank root.
  bool IsEmpty() const;
  // The first top-level element, or nil.
  TXmlNode* GetRoot() const;
  // The hidden node whose children are the top-level nodes.
  TXmlNode& GetContainer() const { return *Container; }
  // CR LF in the readable layout, LF otherwise.
  std::string_view GetLineBreak() const;

  // Loading replaces the tree; on a parse error the document keeps what was
  // parsed and EXmlError tells what went wrong.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::string& fileName);
  void ReadFromString(std::string_view text);
  void SaveToStream(TStream& stream) const;
  // Saves as SaveToStream does while the root's last children are still
  // being made: more appends the next ones to the root (false once none are
  // to come), and each batch is written and deleted before more is called
  // again. A document too large to hold as a tree, or as text, is written so
  // with one batch in memory at a time.
  void SaveToStream(TStream& stream, const std::function<bool(TXmlNode& root)>& more);
  void SaveToFile(const std::string& fileName) const;
  std::string WriteToString() const;

private:
  friend class TXmlNode;
  class EncodedOutput;

  void ResetContainer();
  void ReleaseTree();
  std::string_view CopyToPool(std::string_view text);
  std::string_view ReadToPool(TStream& stream, std::int64_t expected);
  std::string_view ReadText(TStream& stream, std::int64_t expected);
  // Replaces the tree's content by the nodes of the text read.
  void ParseText(std::string_view text);
  void CheckStructure() const;

  xml::detail::NodePool* Pool = nullptr;  // held while the document uses it
  std::unique_ptr<TXmlNode> Container;
};
