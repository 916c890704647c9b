#include "xml/storage/StorageCopy.h"

#include <algorithm>

#include "xml/storage/StorageError.h"

namespace xml {

void CopyBlocks(TStream& source, std::int64_t from, TStream& dest, std::int64_t to, std::int64_t count,
                std::vector<std::uint8_t>& buffer) {
  buffer.resize(kCopyBlockSize);
  for (std::int64_t done = 0; done < count;) {
    const std::int64_t n = std::min<std::int64_t>(count - done, kCopyBlockSize);
    source.SetPosition(from + done);
    source.ReadBuffer(buffer.data(), n);
    dest.SetPosition(to + done);
    dest.WriteBuffer(buffer.data(), n);
    done += n;
  }
}

void MoveBlock(TStream& stream, std::int64_t from, std::int64_t to, std::int64_t count,
               std::vector<std::uint8_t>& buffer) {
  if (count > 0 && from < to + count && to < from + count) throw EStorageError("Blocks overlap in copying action");
  CopyBlocks(stream, from, stream, to, count, buffer);
}

void RunCopy::Add(TStream& source, std::int64_t from, std::int64_t to, std::int64_t count) {
  if (count == 0) return;
  if (Source == &source && From + Count == from && To + Count == to) {
    Count += count;
    return;
  }
  Finish();
  Source = &source;
  From = from;
  To = to;
  Count = count;
}

void RunCopy::Finish() {
  if (Count > 0) CopyBlocks(*Source, From, Dest, To, Count, Buffer);
  Count = 0;
}

}  // namespace xml
