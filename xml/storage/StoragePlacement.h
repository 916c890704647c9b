#pragma once
// Where the streams of a backing store go: first fit in the gaps between the
// streams it holds, never inside the directory at its head.

#include <cstdint>
#include <vector>

#include "xml/storage/StorageEntry.h"

namespace xml {

// Room left behind the directory of a store that holds no stream yet.
inline constexpr std::int64_t kFreeSpaceMargin = 512;

// End of the directory a backing store writes for this directory.
std::int64_t DirectoryEnd(const std::vector<TStorageEntry>& directory);

// The position for size new bytes: the first gap between two streams held
// in the backing store that takes them, else the end of the last one. With
// no stream held: the directory size + 512.
std::int64_t FindFreeSpace(const std::vector<TStorageEntry>& directory, std::int64_t size);

// The held stream with the lowest position when it starts before limit;
// null when none does.
TStorageEntry* LowestHeldBelow(std::vector<TStorageEntry>& directory, std::int64_t limit);

// The end of the held stream reaching furthest; 0 when none is held.
std::int64_t HeldEnd(const std::vector<TStorageEntry>& directory);

}  // namespace xml
