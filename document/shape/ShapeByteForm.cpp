#include "document/shape/ShapeByteForm.h"

#include <cctype>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "document/shape/Shape.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "xml/storage/Storage.h"
#include "xml/storage/StorageFormat.h"
#include "xml/XmlDocument.h"

namespace {

[[noreturn]] void ReadError() { throw EReadError("Stream read error"); }

// A 32-bit size that the stream can still deliver.
std::int64_t ReadSize(TStream& stream) {
  const std::int32_t size = rtl::ReadLE<std::int32_t>(stream);
  if (size > stream.Remaining()) ReadError();
  return size;
}

// A size below 1 reads nothing.
std::string ReadBytes(TStream& stream, std::int64_t size) {
  if (size < 1) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  stream.ReadBuffer(bytes.data(), size);
  return bytes;
}

TsdStorage* StorageOf(const TdocShape& shape) {
  return shape.GetDocument() ? shape.GetDocument()->GetStorage() : nullptr;
}

std::string StreamContent(TsdStorage& storage, const std::string& name) {
  if (!storage.StreamExists(name)) return {};
  TMemoryStream content;
  storage.ReadStream(name, content);
  return {content.Bytes().begin(), content.Bytes().end()};
}

void WriteStreamContent(TsdStorage& storage, const std::string& name, const std::string& data) {
  TMemoryStream content;
  content.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  storage.WriteStream(name, content);
}

// The name's extension with its dot, which resource classes read the format from.
std::string Extension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

// The resources of a byte form in a container while the object reads its
// XML, which may read their streams at once by the names it carries.
//
// Each resource is staged under its own name when no stream has it, so the
// object finds it there, and under a new temporary name otherwise. Once the
// object has read itself, only what it refers to stays, each in a temporary
// stream that no stream had before: under its own name when that was a free
// temporary name, under a new one otherwise. So a byte form never leaves a
// stream the archive uses (index, fonts, pages, thumbnails) nor one that
// another object owns. The object is told every new name; a name it refers
// to that the byte form did not carry it loses (to ""), so it never shares a
// stream of the document. Temporary streams leave with the object that
// refers to them, so deleting the object (an undo of a paste) leaves nothing
// behind. Until Keep, anything staged is removed again when reading fails.
class TStagedResources {
public:
  explicit TStagedResources(TsdStorage& storage) : Storage(storage) {}
  TStagedResources(const TStagedResources&) = delete;
  TStagedResources& operator=(const TStagedResources&) = delete;
  ~TStagedResources() {
    for (const TStaged& staged : Items) DeleteQuietly(staged.Stored);
  }

  void Stage(const std::string& name, const std::string& data) {
    if (Find(name)) return;  // a name carried twice: the first holds
    const std::string stored = Storage.StreamExists(name) ? Storage.NewTempStreamName(Extension(name)) : name;
    WriteStreamContent(Storage, stored, data);
    ByCarried.emplace(xml::FoldedStreamName(name), Items.size());
    Items.push_back({name, stored});
  }

  // Keeps what the object refers to and returns its new names.
  std::map<std::string, std::string> Keep(const TStringList& references) {
    std::map<std::string, std::string> renames;
    std::unordered_set<std::string> kept;  // folded names
    for (int i = 0; i < references.GetCount(); ++i) {
      const std::string& reference = references.GetStrings(i);
      const std::string final = FinalName(reference);
      if (final != reference) renames[reference] = final;
      if (!final.empty()) kept.insert(xml::FoldedStreamName(final));
    }
    for (const TStaged& staged : Items)
      if (!kept.contains(xml::FoldedStreamName(staged.Stored))) Storage.DeleteStream(staged.Stored);
    Items.clear();
    ByCarried.clear();
    return renames;
  }

private:
  struct TStaged {
    std::string Carried;
    std::string Stored;
  };

  TStaged* Find(const std::string& carried) {
    const auto found = ByCarried.find(xml::FoldedStreamName(carried));
    return found == ByCarried.end() ? nullptr : &Items[found->second];
  }

  // Where the referred resource ends: a temporary stream of its own, or
  // nowhere when the byte form did not carry it.
  std::string FinalName(const std::string& reference) {
    TStaged* staged = Find(reference);
    if (!staged) return {};
    if (staged->Stored == staged->Carried && !TsdStorage::IsTempName(staged->Stored)) {
      const std::string fresh = Storage.NewTempStreamName(Extension(staged->Stored));
      Storage.RenameStream(staged->Stored, fresh);
      staged->Stored = fresh;
    }
    return staged->Stored;
  }

  void DeleteQuietly(const std::string& name) noexcept {
    try {
      Storage.DeleteStream(name);
    } catch (...) {  // the failure that got us here is the one to report
    }
  }

  TsdStorage& Storage;
  std::vector<TStaged> Items;
  std::unordered_map<std::string, std::size_t> ByCarried;  // folded carried name to its item
};

constexpr int ExactFloatDigits = 9;

}  // namespace

std::string WriteByteForm(TsdStorage* storage, const TStringList& names, std::string_view root,
                          const std::function<void(TXmlNode&)>& save) {
  const int count = storage ? names.GetCount() : 0;
  TMemoryStream stream;
  rtl::WriteLE<std::int32_t>(stream, count);
  for (int i = 0; i < count; ++i) {
    WriteLengthString(stream, names.GetStrings(i));
    WriteLengthStream(stream, StreamContent(*storage, names.GetStrings(i)));
  }
  TXmlDocument xml(root);
  // Nine digits give every float back exactly: a copy, a pasted shape or a
  // shape restored by undo is the shape itself, not a rounded neighbour.
  xml.FloatDigits = ExactFloatDigits;
  save(*xml.GetRoot());
  WriteLengthStream(stream, xml.WriteToString());
  return {stream.Bytes().begin(), stream.Bytes().end()};
}

std::map<std::string, std::string> ReadByteForm(TsdStorage* storage, std::string_view bytes,
                                                const TByteFormReader& reader) {
  if (bytes.empty()) return {};
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
  const std::int32_t count = rtl::ReadLE<std::int32_t>(stream);
  // Each record takes at least its two sizes.
  if (count < 0 || count > stream.Remaining() / 8) ReadError();
  std::vector<std::pair<std::string, std::string>> resources;
  for (std::int32_t i = 0; i < count; ++i) {
    std::string name = ReadLengthString(stream);
    std::string data = ReadBytes(stream, ReadSize(stream));
    if (!data.empty() && !name.empty()) resources.emplace_back(std::move(name), std::move(data));
  }
  TXmlDocument xml;
  xml.ReadFromString(ReadBytes(stream, ReadSize(stream)));
  if (!storage) {
    reader.Load(xml.GetRoot());
    return {};
  }
  TStagedResources staged(*storage);
  for (const auto& [name, data] : resources) staged.Stage(name, data);
  reader.Load(xml.GetRoot());
  TStringList references;
  reader.CollectArchiveNames(references);
  return staged.Keep(references);
}

std::string ShapesToString(const TdocShape& shape) {
  TStringList names;
  shape.CollectArchiveNames(names);
  return WriteByteForm(StorageOf(shape), names, "shape", [&shape](TXmlNode& root) { shape.SaveToXml(root); });
}

void ShapesFromString(TdocShape& shape, std::string_view bytes) {
  if (bytes.empty()) return;
  const TdocShape::RecordingPause pause;
  const auto renames = ReadByteForm(StorageOf(shape), bytes,
                                    {[&shape](TXmlNode* root) { shape.LoadFromXml(root); },
                                     [&shape](TStringList& names) { shape.CollectArchiveNames(names); }});
  if (!renames.empty()) shape.RenameArchiveNames(renames);
  shape.Loaded();
}

void WriteLengthString(TStream& stream, std::string_view text) {
  rtl::WriteLE<std::int32_t>(stream, static_cast<std::int32_t>(text.size()));
  stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

std::string ReadLengthString(TStream& stream) {
  const std::int64_t size = ReadSize(stream);
  return size < 1 ? std::string() : ReadBytes(stream, size);
}

void WriteLengthStream(TStream& stream, const std::string& bytes) { WriteLengthString(stream, bytes); }

std::string BoolToText(bool value) { return value ? "True" : "False"; }

bool TextToBool(std::string_view text) { return text == "True"; }

bool LenientTextToBool(std::string_view text) {
  if (text.empty()) return false;
  const int first = std::toupper(static_cast<unsigned char>(text.front()));
  return first == 'T' || first == 'Y';
}
