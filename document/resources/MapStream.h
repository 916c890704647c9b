#pragma once
// TMapStream: a stream whose bytes live in blocks mapped straight from the
// operating system, so that large pictures do not fragment the normal heap
// and released memory goes back to the system at once.
//
// Seeking past the end does not grow the stream (a lying offset read from a
// file must not allocate); writing there does, and the gap reads as zeros.
//
// Streams may share their blocks (ShareFrom): equal bytes of many resources
// are then kept once, and a stream copies the blocks before it changes them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/Stream.h"

class TMapStream : public TStream {
public:
  // Raises EOutOfMemory "Memory map page size is zero" when the system
  // reports no page size.
  TMapStream();
  ~TMapStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t GetSize() override { return Size; }
  // Maps or unmaps blocks; a failing map raises EOutOfMemory with the
  // system's message and leaves the stream as it was. A position beyond the new size moves to the end.
  void SetSize(std::int64_t size) override;

  void Clear() { SetSize(0); }
  // Exchanges content and position with other.
  void Swap(TMapStream& other) noexcept;
  // Takes other's bytes by sharing its blocks; the position goes to 0.
  void ShareFrom(const TMapStream& other);
  bool SharesBlocksWith(const TMapStream& other) const { return Blocks == other.Blocks; }
  std::int64_t GetBlockSize() const { return static_cast<std::int64_t>(BlockSize); }

private:
  // Copies between the stream at Position and outside memory, block by block.
  template <class Copy>
  void Transfer(std::int64_t count, Copy&& copy);
  void ZeroTail(std::int64_t from);
  // Gives the stream blocks of its own before they change.
  void Unshare();
  std::uint8_t* Block(std::int64_t position) const { return Blocks->List[static_cast<std::size_t>(position / GetBlockSize())]; }

  // Mapped blocks, unmapped with the last stream that holds them.
  struct TBlocks {
    explicit TBlocks(std::size_t blockSize) : BlockSize(blockSize) {}
    ~TBlocks();
    TBlocks(const TBlocks&) = delete;
    TBlocks& operator=(const TBlocks&) = delete;
    // Maps blocks until there are count; on failure the new ones go again.
    void Grow(std::size_t count);
    // Unmaps the blocks from index count on.
    void ShrinkTo(std::size_t count);
    std::size_t BlockSize;
    std::vector<std::uint8_t*> List;
  };

  std::size_t BlockSize;
  std::shared_ptr<TBlocks> Blocks;
  std::int64_t Size = 0;
  std::int64_t Position = 0;
};
