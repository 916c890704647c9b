// A resource in the XML of its owner: "ClassName", the "Data" element of
// embedded bytes, "ArchiveName", "FileName" and "Storage".

#include <utility>

#include "document/resources/Resource.h"
#include "platform/rtl/Format.h"
#include "xml/Base64.h"
#include "xml/BinHex.h"
#include "xml/BinaryText.h"
#include "xml/XmlNode.h"

namespace {

struct TBinaryFilter {
  std::string_view Name;
  std::size_t (*DecodedSize)(std::string_view text);
  void (*Decode)(std::string_view text, void* out, std::size_t size);
};

constexpr TBinaryFilter kFilters[] = {
    {"BinHex", &xml::BinHexDecodedSize, &xml::DecodeBinHex},
    {"Base64", &xml::Base64DecodedSize, &xml::DecodeBase64},
};

const TBinaryFilter& FindFilter(std::string_view name) {
  for (const TBinaryFilter& filter : kFilters)
    if (filter.Name == name) return filter;
  throw EResourceError("Unsupported binary encoding");
}

bool ReadStorageName(const TXmlNode& node, TdocResourceStorage& storage) {
  const std::string name = node.ReadChildString("Storage");
  for (int i = rsNone; i <= rsEmbedded; ++i) {
    if (ResourceStorageName(static_cast<TdocResourceStorage>(i)) != name) continue;
    storage = static_cast<TdocResourceStorage>(i);
    return true;
  }
  return false;
}

// Written also when empty, whatever the document's default rule says.
void WriteString(TXmlNode& node, std::string_view name, std::string_view value) {
  node.FindOrAddChild(name)->SetValue(value);
}

}  // namespace

// The stored size is checked against what the text holds before any memory
// is taken for it.
void TdocResource::LoadDataFromXml(const TXmlNode& node) {
  EmptyData();
  DataChangedFlag = false;
  const TXmlNode* dataNode = node.FindChild("Data");
  if (dataNode == nullptr) return;
  const std::int64_t size = dataNode->ReadChildInt64("Size", 0);
  if (size == 0) return;
  const TBinaryFilter& filter = FindFilter(dataNode->ReadChildString("Filter"));
  if (size < 0) throw EResourceError(rtl::Format("Invalid resource data size %d", size));
  const TXmlNode* buffer = dataNode->FindChild("Buffer");
  const std::string text = buffer != nullptr ? buffer->GetValue() : std::string();
  if (filter.DecodedSize(text) < static_cast<std::uint64_t>(size)) xml::detail::ThrowMissingData();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  filter.Decode(text, bytes.data(), bytes.size());
  ReplaceData(bytes);
}

void TdocResource::SaveDataToXml(TXmlNode& node) {
  DataChangedFlag = false;
  WriteDataElement(node);
}

void TdocResource::WriteDataElement(TXmlNode& node) {
  if (Data.GetSize() == 0) return;
  const std::vector<std::uint8_t> bytes = CopyOfData();
  TXmlNode* dataNode = node.FindOrAddChild("Data");
  dataNode->ClearChildren();
  WriteString(*dataNode, "Size", std::to_string(bytes.size()));
  WriteString(*dataNode, "Filter", "Base64");
  WriteString(*dataNode, "Buffer", xml::EncodeBase64(bytes.data(), bytes.size()));
}

void TdocResource::LoadFromXml(const TXmlNode& node) {
  TdocResourceAccess access(*this);
  Clear();
  ArchiveName = node.ReadChildString("ArchiveName");
  FileName = node.ReadChildString("FileName");
  ReadStorageName(node, Storage);
  LoadProblem.clear();
  if (Storage == rsExternal) LoadExternalDataOrKeepProblem();
  if (Storage == rsArchive) LoadDataFromArchive();
  if (Storage == rsEmbedded) LoadDataFromXml(node);
}

// A document from elsewhere names any file it likes: a refused one leaves
// the resource empty (its name stays, so the document still says what it
// wanted), and the owner reports the reason.
void TdocResource::LoadExternalDataOrKeepProblem() {
  try {
    LoadExternalData();
  } catch (const EResourceError& refused) {
    EmptyData();
    DataChangedFlag = false;
    LoadedFlag = true;  // not read again at every paint
    LoadProblem = refused.what();
  }
}

std::string TdocResource::TakeLoadProblem() {
  TResourceCacheLock lock;
  return std::exchange(LoadProblem, std::string());
}

// Changed bytes that neither their file nor an archive could take (the
// file exists already, the name is only an extension, the owner has no
// archive) are embedded, so saving the document never loses them.
void TdocResource::SaveToXml(TXmlNode& node) {
  TdocResourceAccess access(*this);
  WriteString(node, "ClassName", ClassName());
  EncodeObject();
  if (Storage == rsExternal) SaveDataToFile();
  if (Storage == rsArchive) SaveDataToArchive();
  if (Storage == rsEmbedded) SaveDataToXml(node);
  TdocResourceStorage written = Storage;
  if (DataIsRestorable() && DataChangedFlag && Data.GetSize() > 0) {
    WriteDataElement(node);
    written = rsEmbedded;
  }
  WriteString(node, "ArchiveName", ArchiveName);
  WriteString(node, "FileName", FileName);
  WriteString(node, "Storage", ResourceStorageName(written));
}
