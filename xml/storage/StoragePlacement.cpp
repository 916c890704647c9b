#include "xml/storage/StoragePlacement.h"

#include <algorithm>

#include "xml/storage/StorageFormat.h"

namespace xml {
namespace {

std::vector<const TStorageEntry*> HeldByPosition(const std::vector<TStorageEntry>& directory) {
  std::vector<const TStorageEntry*> held;
  for (const TStorageEntry& e : directory)
    if (!e.InSource) held.push_back(&e);
  std::stable_sort(held.begin(), held.end(),
                   [](const TStorageEntry* a, const TStorageEntry* b) { return a->Position < b->Position; });
  return held;
}

std::int64_t EndOf(const TStorageEntry& e) { return e.Position + e.Size; }

}  // namespace

std::int64_t DirectoryEnd(const std::vector<TStorageEntry>& directory) {
  return kDirectoryOffsetField + DirectorySize(directory);
}

std::int64_t FindFreeSpace(const std::vector<TStorageEntry>& directory, std::int64_t size) {
  const std::vector<const TStorageEntry*> held = HeldByPosition(directory);
  if (held.empty()) return DirectorySize(directory) + kFreeSpaceMargin;
  const std::int64_t directoryEnd = DirectoryEnd(directory);
  std::int64_t reached = EndOf(*held.front());
  for (std::size_t i = 1; i < held.size(); ++i) {
    const std::int64_t start = std::max(reached, directoryEnd);
    if (held[i]->Position - start >= size) return start;
    reached = std::max(reached, EndOf(*held[i]));
  }
  return std::max(reached, directoryEnd);
}

TStorageEntry* LowestHeldBelow(std::vector<TStorageEntry>& directory, std::int64_t limit) {
  TStorageEntry* lowest = nullptr;
  for (TStorageEntry& e : directory)
    if (!e.InSource && e.Position < limit && (lowest == nullptr || e.Position < lowest->Position)) lowest = &e;
  return lowest;
}

std::int64_t HeldEnd(const std::vector<TStorageEntry>& directory) {
  std::int64_t end = 0;
  for (const TStorageEntry& e : directory)
    if (!e.InSource) end = std::max(end, EndOf(e));
  return end;
}

}  // namespace xml
