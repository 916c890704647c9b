#include "document/shape/ShapeByteForm.h"

#include <cctype>
#include <cstdint>
#include <map>

#include "document/shape/Shape.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "xml/storage/Storage.h"
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

// Where an incoming resource goes: its own name when that is free or already
// holds the same archived data; a new temporary name otherwise.
std::string PlaceResource(TsdStorage& storage, const std::string& name, const std::string& data) {
  if (!storage.StreamExists(name)) return name;
  if (!TsdStorage::IsTempName(name) && StreamContent(storage, name) == data) return name;
  return storage.NewTempStreamName(Extension(name));
}

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
                                                const std::function<void(TXmlNode*)>& load) {
  std::map<std::string, std::string> renames;
  if (bytes.empty()) return renames;
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
  const std::int32_t count = rtl::ReadLE<std::int32_t>(stream);
  // Each record takes at least its two sizes.
  if (count < 0 || count > stream.Remaining() / 8) ReadError();
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string name = ReadLengthString(stream);
    const std::string data = ReadBytes(stream, ReadSize(stream));
    if (data.empty() || name.empty() || !storage) continue;
    const std::string placed = PlaceResource(*storage, name, data);
    if (placed != name) renames[name] = placed;
    WriteStreamContent(*storage, placed, data);
  }
  TXmlDocument xml;
  xml.ReadFromString(ReadBytes(stream, ReadSize(stream)));
  load(xml.GetRoot());
  return renames;
}

std::string ShapesToString(const TdocShape& shape) {
  TStringList names;
  shape.CollectArchiveNames(names);
  return WriteByteForm(StorageOf(shape), names, "shape", [&shape](TXmlNode& root) { shape.SaveToXml(root); });
}

void ShapesFromString(TdocShape& shape, std::string_view bytes) {
  if (bytes.empty()) return;
  const TdocShape::RecordingPause pause;
  const auto renames =
      ReadByteForm(StorageOf(shape), bytes, [&shape](TXmlNode* root) { shape.LoadFromXml(root); });
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
