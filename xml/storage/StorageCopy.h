#pragma once
// Moves bytes between positions of streams through the container's one copy
// buffer, block by block.

#include <cstdint>
#include <vector>

#include "platform/rtl/Stream.h"

namespace xml {

// Size of the copy buffer every container owns.
inline constexpr std::size_t kCopyBlockSize = 61440;

// Copies count bytes from position from of source to position to of dest.
// Source and dest may be the same stream when the two ranges do not overlap.
void CopyBlocks(TStream& source, std::int64_t from, TStream& dest, std::int64_t to, std::int64_t count,
                std::vector<std::uint8_t>& buffer);

// Copies count bytes inside one stream; overlapping ranges raise
// EStorageError "Blocks overlap in copying action".
void MoveBlock(TStream& stream, std::int64_t from, std::int64_t to, std::int64_t count,
               std::vector<std::uint8_t>& buffer);

// Copies blocks into one destination, joining each block that continues the
// one before it in both streams into a single copy: a million small streams
// lying back to back cost one copy, not a million seeks, reads and writes.
class RunCopy {
public:
  RunCopy(TStream& dest, std::vector<std::uint8_t>& buffer) : Dest(dest), Buffer(buffer) {}

  // count bytes from position from of source to position to of the destination.
  void Add(TStream& source, std::int64_t from, std::int64_t to, std::int64_t count);
  // Copies what is still pending; call it once the last block is added.
  void Finish();

private:
  TStream& Dest;
  std::vector<std::uint8_t>& Buffer;
  TStream* Source = nullptr;
  std::int64_t From = 0;
  std::int64_t To = 0;
  std::int64_t Count = 0;
};

}  // namespace xml
