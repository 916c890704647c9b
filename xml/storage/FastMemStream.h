#pragma once
// A growable memory stream that reallocates rarely: its capacity is 0 when
// empty, else the smallest of 8192, 32768, 131072, ... (8192 times a power
// of 4) that holds its size.

#include <cstdint>
#include <memory>

#include "platform/rtl/Stream.h"

class TFastMemStream : public TStream {
public:
  TFastMemStream() = default;

  // Reads nothing at a negative position or for a negative count.
  std::int64_t Read(void* buffer, std::int64_t count) override;
  // Extends the stream when it passes the end (bytes skipped by a seek past
  // the end read as 0); writes nothing at a negative position.
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // The position is not clamped to the size.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t GetSize() override { return Size; }
  // Sets the capacity by the rule above; a position past the new size moves
  // to the end.
  void SetSize(std::int64_t size) override;

  std::int64_t GetCapacity() const { return Capacity; }
  // The capacity the rule gives a stream of size bytes (64-bit throughout).
  static std::int64_t CapacityFor(std::int64_t size);
  std::uint8_t* Memory() { return Block.get(); }
  const std::uint8_t* Memory() const { return Block.get(); }

private:
  void Reallocate(std::int64_t capacity);
  // Makes size bytes valid, the new ones zero.
  void Extend(std::int64_t size);

  std::unique_ptr<std::uint8_t[]> Block;
  std::int64_t Position = 0;
  std::int64_t Capacity = 0;
  std::int64_t Size = 0;
};
