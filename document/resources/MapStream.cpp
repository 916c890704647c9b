#include "document/resources/MapStream.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "platform/rtl/Exception.h"

namespace {

// Sixteen pages per block: few enough mappings for pictures of hundreds of
// megabytes, small enough not to waste memory on small ones.
constexpr std::size_t kPagesPerBlock = 16;

std::size_t SystemBlockSize() {
  const long page = sysconf(_SC_PAGESIZE);
  if (page < 1) throw EOutOfMemory("Memory map page size is zero");
  return static_cast<std::size_t>(page) * kPagesPerBlock;
}

[[noreturn]] void ThrowSystemError() { throw EOutOfMemory(std::strerror(errno)); }

// Mappings are reserved lazily, so the system would grant far more than it
// has; a size beyond the machine's memory is refused before mapping starts.
bool BeyondPhysicalMemory(std::int64_t size) {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 && size / pageSize > pages;
}

}  // namespace

TMapStream::TBlocks::~TBlocks() { ShrinkTo(0); }

void TMapStream::TBlocks::Grow(std::size_t count) {
  const std::size_t oldCount = List.size();
  while (List.size() < count) {
    void* block = mmap(nullptr, BlockSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) {
      const int error = errno;
      ShrinkTo(oldCount);
      errno = error;
      ThrowSystemError();
    }
    List.push_back(static_cast<std::uint8_t*>(block));
  }
}

void TMapStream::TBlocks::ShrinkTo(std::size_t count) {
  while (List.size() > count) {
    munmap(List.back(), BlockSize);
    List.pop_back();
  }
}

TMapStream::TMapStream() : BlockSize(SystemBlockSize()), Blocks(std::make_shared<TBlocks>(BlockSize)) {}

TMapStream::~TMapStream() = default;

void TMapStream::ShareFrom(const TMapStream& other) {
  Blocks = other.Blocks;
  Size = other.Size;
  Position = 0;
}

void TMapStream::Unshare() {
  if (Blocks.use_count() == 1) return;
  auto own = std::make_shared<TBlocks>(BlockSize);
  own->Grow(Blocks->List.size());
  for (std::size_t i = 0; i < own->List.size(); ++i) std::memcpy(own->List[i], Blocks->List[i], BlockSize);
  Blocks = std::move(own);
}

void TMapStream::Swap(TMapStream& other) noexcept {
  std::swap(Blocks, other.Blocks);
  std::swap(Size, other.Size);
  std::swap(Position, other.Position);
}

void TMapStream::SetSize(std::int64_t size) {
  if (size < 0) throw EStreamError("Invalid stream size");
  if (BeyondPhysicalMemory(size)) {
    errno = ENOMEM;
    ThrowSystemError();
  }
  const std::size_t blockCount = static_cast<std::size_t>((size + GetBlockSize() - 1) / GetBlockSize());
  if (size == 0 && Blocks.use_count() > 1) {
    Blocks = std::make_shared<TBlocks>(BlockSize);  // emptying a shared stream copies nothing
  } else {
    Unshare();
    if (size < Size) ZeroTail(size);
    Blocks->ShrinkTo(blockCount);
    Blocks->Grow(blockCount);
  }
  Size = size;
  Position = std::min(Position, Size);
}

// Bytes past the end of a shrunk stream are cleared, so growing it again
// within the same block shows zeros, as new blocks do.
void TMapStream::ZeroTail(std::int64_t from) {
  const std::int64_t blockEnd = std::min(Size, (from / GetBlockSize() + 1) * GetBlockSize());
  if (from >= blockEnd) return;
  std::uint8_t* block = Block(from);
  std::memset(block + from % GetBlockSize(), 0, static_cast<std::size_t>(blockEnd - from));
}

std::int64_t TMapStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning: Position = offset; break;
    case TSeekOrigin::soCurrent: Position += offset; break;
    case TSeekOrigin::soEnd: Position = Size + offset; break;
  }
  Position = std::max<std::int64_t>(Position, 0);
  return Position;
}

template <class Copy>
void TMapStream::Transfer(std::int64_t count, Copy&& copy) {
  std::int64_t done = 0;
  while (done < count) {
    const std::int64_t offset = Position % GetBlockSize();
    const std::int64_t piece = std::min(count - done, GetBlockSize() - offset);
    copy(Block(Position) + offset, done, static_cast<std::size_t>(piece));
    done += piece;
    Position += piece;
  }
}

std::int64_t TMapStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t available = std::clamp<std::int64_t>(Size - Position, 0, std::max<std::int64_t>(count, 0));
  auto* out = static_cast<std::uint8_t*>(buffer);
  Transfer(available, [out](const std::uint8_t* block, std::int64_t done, std::size_t piece) {
    std::memcpy(out + done, block, piece);
  });
  return available;
}

std::int64_t TMapStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  if (count > std::numeric_limits<std::int64_t>::max() - Position) throw EWriteError("Stream write error");
  Unshare();
  if (Position + count > Size) SetSize(Position + count);
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  Transfer(count, [in](std::uint8_t* block, std::int64_t done, std::size_t piece) {
    std::memcpy(block, in + done, piece);
  });
  return count;
}
