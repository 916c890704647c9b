#pragma once
// Buffering wrappers of the stream a document is loaded from or saved to, so
// the codec's small reads and writes reach it in large blocks. Reads and
// writes of a block or more pass straight through. Neither owns its stream.

#include <cstdint>
#include <vector>

#include "platform/rtl/Stream.h"

class TsdBufferedReadStream final : public TStream {
public:
  explicit TsdBufferedReadStream(TStream& source, std::size_t bufferSize = 65536);

  std::int64_t Read(void* buffer, std::int64_t count) override;
  // A read stream writes nothing.
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  // Asking for the position costs nothing; any other seek drops the buffer.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t GetSize() override { return Source.GetSize(); }
  void SetSize(std::int64_t size) override;

private:
  std::int64_t Buffered() const { return static_cast<std::int64_t>(Filled - Next); }

  TStream& Source;
  std::vector<char> Buffer;
  std::size_t Next = 0;    // first byte of the buffer not read yet
  std::size_t Filled = 0;  // bytes in the buffer
};

class TsdBufferedWriteStream final : public TStream {
public:
  explicit TsdBufferedWriteStream(TStream& target, std::size_t bufferSize = 65536);

  // A write stream reads nothing.
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Asking for the position costs nothing; any other seek flushes first.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t GetSize() override;
  void SetSize(std::int64_t size) override;

  // Hands the buffered bytes to the target; raises EXmlError "Cannot write
  // to output stream" when it takes fewer. What is not flushed when the stream is
  // destroyed is dropped: a save that failed half-way writes no more.
  void Flush();

private:
  TStream& Target;
  std::vector<char> Buffer;
  std::size_t Filled = 0;
};
