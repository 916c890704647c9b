#pragma once
// The working copy of a container: in memory until it grows past the memory
// cache, then in a temporary file; or, in place, the container file itself.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/rtl/Stream.h"

namespace xml {

class StorageBackingStore {
public:
  // An empty store in memory.
  explicit StorageBackingStore(std::int64_t memoryCache);
  // The container file itself: an existing one opened read-write, or a new
  // empty one. Raises the file stream's errors.
  static std::unique_ptr<StorageBackingStore> OpenInPlace(const std::string& fileName, bool create);

  TStream& Stream() { return *Data; }
  bool InMemory() const { return Where == Kind::Memory; }
  bool InPlace() const { return Where == Kind::InPlace; }
  // The container file when in place, else empty.
  const std::string& GetFileName() const { return FileName; }
  std::int64_t GetSize() { return Data->GetSize(); }

  std::int64_t GetMemoryCache() const { return MemoryCache; }
  // Moves a memory store that is already larger into a temporary file; the
  // value is kept only when that succeeds.
  void SetMemoryCache(std::int64_t bytes);

  // Grows the store to at least size bytes; a memory store that would pass
  // the memory cache moves to a temporary file first. Raises EStorageError
  // "Unable to create temporary file" and leaves the store as it was when
  // that file cannot be made.
  void EnsureSize(std::int64_t size);
  // Shrinks the store to size bytes; never grows it.
  void CutTo(std::int64_t size);

private:
  enum class Kind { Memory, TemporaryFile, InPlace };
  StorageBackingStore(std::unique_ptr<TStream> data, Kind where, std::string fileName);
  void MoveToTemporaryFile();

  std::unique_ptr<TStream> Data;
  Kind Where;
  std::string FileName;
  std::int64_t MemoryCache = 0;
};

}  // namespace xml
