#include "document/resources/Resource.h"

#include <array>
#include <mutex>

#include "document/resources/ResourceHost.h"
#include "imaging/formats/RasterFormat.h"

namespace {

constexpr std::array<std::string_view, 4> kStorageNames = {"None", "External", "Archive", "Embedded"};

TResourcePtr<TdocResource> CreateResource() { return MakeResource<TdocResource>(); }

// The file name with its extension replaced by extension (appended when it
// has none).
std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
  return fileName.substr(0, fileName.size() - imaging::ExtractFileExt(fileName).size()) + extension;
}

}  // namespace

std::string_view ResourceStorageName(TdocResourceStorage storage) { return kStorageNames.at(storage); }

void TResourceDeleter::operator()(TdocResource* resource) const {
  document::ResourceCacheRemove(resource);
  delete resource;
}

const TResourceClass& TdocResource::Class() {
  static const TResourceClass resourceClass{"TdocResource", &CreateResource};
  return resourceClass;
}

TdocResource::TdocResource() = default;

TdocResource::~TdocResource() = default;

// ---- access bracket

void TdocResource::BeginAccess() {
  document::ResourceCacheLock();
  ++AccessCount;
}

void TdocResource::EndAccess() {
  {
    TResourceCacheLock lock;
    if (AccessCount <= 0) throw EResourceError("Access count mismatch");
    --AccessCount;
  }
  document::ResourceCacheUnlock();
}

// ---- state and object

int TdocResource::GetState() {
  TdocResourceAccess access(*this);
  if (Object != nullptr || ObjectChangedFlag) return 2;
  if (Data.GetSize() > 0 || DataChangedFlag) return 1;
  return 0;
}

void TdocResource::SetState(int target) {
  TdocResourceAccess access(*this);
  const int state = GetState();
  switch (target) {
    case 0:
      if (state == 2) ReleaseObject();
      if (GetState() == 1) ReleaseData();
      break;
    case 1:
      if (state == 0) EnsureData();
      if (state == 2) ReleaseObject();
      break;
    case 2:
      if (state == 0) EnsureData();
      if (GetState() == 1) DecodeObject();
      break;
    default: break;
  }
}

TPersistent* TdocResource::GetObject() {
  TdocResourceAccess access(*this);
  document::ResourceCacheTouch(this);
  SetState(2);
  return Object.get();
}

void TdocResource::SetObject(std::unique_ptr<TPersistent> object) {
  TdocResourceAccess access(*this);
  if (object == Object) return;
  Object = std::move(object);
  ObjectChangedFlag = true;
  document::ResourceCacheTouch(this);
  Changed();
}

void TdocResource::Unload() {
  TResourceCacheLock lock;
  if (AccessCount > 0) return;
  TdocResourceAccess access(*this);
  SetState(DataIsRestorable() ? 0 : 1);
}

// ---- names and owner

std::string TdocResource::GetArchiveName() const {
  TResourceCacheLock lock;
  return ArchiveName;
}

std::string TdocResource::GetFileName() const {
  TResourceCacheLock lock;
  return FileName;
}

void TdocResource::SetFileName(const std::string& name) {
  TdocResourceAccess access(*this);
  FileName = FileName.empty() ? name : ChangeFileExt(FileName, name);
}

std::string TdocResource::GetFileExtension() const {
  std::string extension = imaging::ExtractFileExt(GetFileName());
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

void TdocResource::SetOwner(TdocResourceHost* owner) {
  TResourceCacheLock lock;
  if (owner == Owner) return;
  Owner = owner;
  OwnerChanged();
}

TsdStorage* TdocResource::GetStorage() const { return Owner != nullptr ? Owner->GetResourceArchive() : nullptr; }

void TdocResource::SetStorageMode(TdocResourceStorage mode) {
  TdocResourceAccess access(*this);
  if (mode == Storage) return;
  EnsureData();
  Storage = mode;
  DataChangedFlag = true;
  StoreData();
}

// ---- sizes

std::int64_t TdocResource::GetDataSize() {
  TdocResourceAccess access(*this);
  return Data.GetSize();
}

std::int64_t TdocResource::GetMemorySize() {
  TdocResourceAccess access(*this);
  return Data.GetSize() + GetObjectSize();
}

std::int64_t TdocResource::GetObjectSize() { return Object != nullptr ? Data.GetSize() : 0; }

// ---- changes

void TdocResource::Changed() {
  TdocResourceAccess access(*this);
  if (OnChange) OnChange(this);
  StoreData();
}

void TdocResource::Clear() {
  TdocResourceAccess access(*this);
  EmptyData();
  ArchiveName.clear();
  FileName.clear();
  ObjectChangedFlag = DataChangedFlag = LoadedFlag = false;
  if (Object != nullptr) {
    Object.reset();
    Changed();
  }
}

void TdocResource::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TdocResource*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  // Reading the source may decode, encode or load its bytes: its content
  // stays the same, so it is const to the caller.
  auto& from = const_cast<TdocResource&>(*other);
  TdocResourceAccess access(*this);
  TdocResourceAccess fromAccess(from);
  const std::vector<std::uint8_t> bytes = from.CopyOfData();
  Clear();
  FileName = from.FileName;
  Storage = from.Storage;
  ReplaceData(bytes);
  // A file still holds the bytes of an unchanged external copy; every other
  // copy keeps its own bytes, and an archived one gets a stream of its own,
  // so that deleting or editing either copy never touches the other.
  LoadedFlag = Storage == rsExternal;
  DataChangedFlag = Storage != rsExternal || from.DataChangedFlag || from.Owner != Owner;
  Changed();
}

void TdocResource::CollectArchiveNames(TStringList& list) const {
  TResourceCacheLock lock;
  if (Storage == rsArchive && !ArchiveName.empty()) list.Add(ArchiveName);
}

void TdocResource::RenameArchiveNames(const std::map<std::string, std::string>& renames) {
  TdocResourceAccess access(*this);
  const auto renamed = renames.find(ArchiveName);
  if (renamed == renames.end()) return;
  ArchiveName = renamed->second;
  if (Storage != rsArchive || DataChangedFlag || ObjectChangedFlag) return;
  Object.reset();
  EmptyData();
  LoadedFlag = false;
}

// ---- default object coding

void TdocResource::SaveObjectToStream(TStream&, const TPersistent&) {
  throw EResourceError("No method for object storing defined");
}

std::unique_ptr<TPersistent> TdocResource::LoadObjectFromStream(TStream&) {
  throw EResourceError("No method for object loading defined");
}

// ---- steps between object, memory and storage

void TdocResource::EnsureData() {
  if (ObjectChangedFlag) {
    EncodeObject();
  } else if (!DataChangedFlag && !LoadedFlag) {
    if (Storage == rsExternal) LoadExternalData();
    if (Storage == rsArchive) LoadDataFromArchive();
  }
}

// The object is written into fresh memory that replaces the bytes only once
// it is complete, so a failing encoder leaves object and bytes as they were.
void TdocResource::EncodeObject() {
  if (!ObjectChangedFlag) return;
  TMapStream encoded;
  if (Object != nullptr) {
    if (OnSaveObject) {
      OnSaveObject(this, encoded, Object);
    } else {
      SaveObjectToStream(encoded, *Object);
    }
  }
  encoded.SetPosition(0);
  Data.Swap(encoded);
  DataChangedFlag = true;
  ObjectChangedFlag = false;
}

void TdocResource::DecodeObject() {
  if (ObjectChangedFlag) return;
  Object.reset();
  EnsureData();
  if (Data.GetSize() == 0) return;
  Data.SetPosition(0);
  std::unique_ptr<TPersistent> decoded;
  if (OnLoadObject) {
    OnLoadObject(this, Data, decoded);
  } else {
    decoded = LoadObjectFromStream(Data);
  }
  Object = std::move(decoded);
}

void TdocResource::StoreData() {
  EncodeObject();
  if (!DataChangedFlag) return;
  if (Storage == rsExternal) SaveDataToFile();
  if (Storage == rsArchive) SaveDataToArchive();
}

void TdocResource::ReleaseObject() {
  EncodeObject();
  Object.reset();
}

// Bytes kept nowhere else (None, Embedded) are never released: they could
// not be read again.
void TdocResource::ReleaseData() {
  StoreData();
  if (DataChangedFlag || !DataIsRestorable()) return;
  EmptyData();
  LoadedFlag = false;
}

void TdocResource::EmptyData() { Data.Clear(); }

std::vector<std::uint8_t> TdocResource::CopyOfData() {
  EncodeObject();
  EnsureData();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(Data.GetSize()));
  const std::int64_t position = Data.GetPosition();
  Data.SetPosition(0);
  Data.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  Data.SetPosition(position);
  return bytes;
}

void TdocResource::ReplaceData(const std::vector<std::uint8_t>& bytes) {
  EmptyData();
  Data.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  Data.SetPosition(0);
}
