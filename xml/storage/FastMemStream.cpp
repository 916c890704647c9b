#include "xml/storage/FastMemStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/rtl/Exception.h"

namespace {
constexpr std::int64_t kFirstCapacity = 8192;
constexpr std::int64_t kGrowthFactor = 4;
constexpr std::int64_t kMaxPosition = std::numeric_limits<std::int64_t>::max();
}  // namespace

std::int64_t TFastMemStream::CapacityFor(std::int64_t size) {
  if (size == 0) return 0;
  std::int64_t capacity = kFirstCapacity;
  while (capacity < size) {
    if (capacity > kMaxPosition / kGrowthFactor) return size;
    capacity *= kGrowthFactor;
  }
  return capacity;
}

void TFastMemStream::Reallocate(std::int64_t capacity) {
  std::unique_ptr<std::uint8_t[]> block;
  if (capacity > 0) {
    block.reset(new std::uint8_t[static_cast<std::size_t>(capacity)]);
    if (Size > 0) std::memcpy(block.get(), Block.get(), static_cast<std::size_t>(std::min(Size, capacity)));
  }
  Block = std::move(block);
  Capacity = capacity;
  Size = std::min(Size, capacity);
}

void TFastMemStream::Extend(std::int64_t size) {
  if (size > Capacity) Reallocate(CapacityFor(size));
  std::memset(Block.get() + Size, 0, static_cast<std::size_t>(size - Size));
  Size = size;
}

std::int64_t TFastMemStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0 || Position < 0 || Position >= Size) return 0;
  const std::int64_t n = std::min(count, Size - Position);
  std::memcpy(buffer, Block.get() + Position, static_cast<std::size_t>(n));
  Position += n;
  return n;
}

std::int64_t TFastMemStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0 || Position < 0 || count > kMaxPosition - Position) return 0;
  const std::int64_t end = Position + count;
  if (end > Size) Extend(end);
  std::memcpy(Block.get() + Position, buffer, static_cast<std::size_t>(count));
  Position = end;
  return count;
}

std::int64_t TFastMemStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? Position : Size;
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target)) throw EStreamError("Stream position out of range");
  Position = target;
  return Position;
}

void TFastMemStream::SetSize(std::int64_t size) {
  if (size < 0) throw EStreamError("Invalid stream size");
  const std::int64_t capacity = CapacityFor(size);
  if (capacity != Capacity) Reallocate(capacity);
  if (size > Size) Extend(size);
  Size = size;
  Position = std::min(Position, size);
}
