#pragma once
// A stretch of a stream read through a buffer: many short reads (the fields
// of a directory of a million entries, the lengths of a million chunks)
// cost one seek and read of the stream a buffer, not one each.

#include <cstdint>
#include <vector>

#include "platform/rtl/Stream.h"

namespace rtl {

class TBufferedReader {
public:
  // The length bytes of stream from start on; positions count from start.
  TBufferedReader(TStream& stream, std::int64_t start, std::int64_t length)
      : Stream(stream), Start(start), Length(length) {}

  std::int64_t Position() const { return Pos; }
  std::int64_t Left() const { return Length - Pos; }
  void Seek(std::int64_t position) { Pos = position; }

  // count bytes from Position(); raises EReadError "Stream read error" when
  // fewer are left.
  void Read(void* dest, std::int64_t count);

private:
  static constexpr std::int64_t BufferSize = 65536;

  void Fill();

  TStream& Stream;
  const std::int64_t Start;
  const std::int64_t Length;
  std::int64_t Pos = 0;
  std::int64_t BufferStart = 0;
  std::vector<std::uint8_t> Buffer;
};

}  // namespace rtl
