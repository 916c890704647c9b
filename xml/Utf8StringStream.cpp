#include "xml/Utf8StringStream.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/Exception.h"

std::int64_t TsdUTF8StringStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t size = GetSize();
  if (count <= 0 || Position < 0 || Position >= size) return 0;
  const std::int64_t n = std::min(count, size - Position);
  std::memcpy(buffer, Text.data() + Position, static_cast<std::size_t>(n));
  Position += n;
  return n;
}

std::int64_t TsdUTF8StringStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning: Position = offset; break;
    case TSeekOrigin::soCurrent: Position += offset; break;
    case TSeekOrigin::soEnd: Position = GetSize() + offset; break;
  }
  return Position;
}

void TsdUTF8StringStream::SetSize(std::int64_t) { throw EWriteError("Stream write error"); }
