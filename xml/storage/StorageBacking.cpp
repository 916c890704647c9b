#include "xml/storage/StorageBacking.h"

#include "xml/storage/FastMemStream.h"
#include "xml/storage/StorageError.h"
#include "xml/storage/StorageTempFile.h"

namespace xml {

StorageBackingStore::StorageBackingStore(std::int64_t memoryCache)
    : Data(std::make_unique<TFastMemStream>()), Where(Kind::Memory), MemoryCache(memoryCache) {}

StorageBackingStore::StorageBackingStore(std::unique_ptr<TStream> data, Kind where, std::string fileName)
    : Data(std::move(data)), Where(where), FileName(std::move(fileName)) {}

std::unique_ptr<StorageBackingStore> StorageBackingStore::OpenInPlace(const std::string& fileName, bool create) {
  auto file = std::make_unique<TFileStream>(fileName, create ? fmCreate : fmOpenReadWrite | fmShareDenyWrite);
  return std::unique_ptr<StorageBackingStore>(new StorageBackingStore(std::move(file), Kind::InPlace, fileName));
}

void StorageBackingStore::SetMemoryCache(std::int64_t bytes) {
  if (InMemory() && GetSize() > bytes) MoveToTemporaryFile();
  MemoryCache = bytes;
}

void StorageBackingStore::EnsureSize(std::int64_t size) {
  if (size <= GetSize()) return;
  if (InMemory() && size > MemoryCache) MoveToTemporaryFile();
  Data->SetSize(size);
}

void StorageBackingStore::CutTo(std::int64_t size) {
  if (size < GetSize()) Data->SetSize(size);
}

void StorageBackingStore::MoveToTemporaryFile() {
  std::unique_ptr<TStream> file = CreateTemporaryStream();
  try {
    file->CopyFrom(*Data, 0);
  } catch (const std::exception&) {
    throw EStorageError("Unable to create temporary file");
  }
  Data = std::move(file);
  Where = Kind::TemporaryFile;
}

}  // namespace xml
