#include "xml/BufferedStreams.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/Exception.h"
#include "xml/XmlTypes.h"

// ---- reading

TsdBufferedReadStream::TsdBufferedReadStream(TStream& source, std::size_t bufferSize)
    : Source(source), Buffer(std::max<std::size_t>(bufferSize, 1)) {}

std::int64_t TsdBufferedReadStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  auto* out = static_cast<char*>(buffer);
  std::int64_t done = std::min(count, Buffered());
  std::memcpy(out, Buffer.data() + Next, static_cast<std::size_t>(done));
  Next += static_cast<std::size_t>(done);
  const auto capacity = static_cast<std::int64_t>(Buffer.size());
  while (done < count) {
    const std::int64_t wanted = count - done;
    if (wanted >= capacity) {
      const std::int64_t got = Source.Read(out + done, wanted);
      if (got <= 0) break;
      done += got;
      continue;
    }
    const std::int64_t got = Source.Read(Buffer.data(), capacity);
    if (got <= 0) break;
    Filled = static_cast<std::size_t>(got);
    const std::int64_t n = std::min(wanted, got);
    std::memcpy(out + done, Buffer.data(), static_cast<std::size_t>(n));
    Next = static_cast<std::size_t>(n);
    done += n;
  }
  return done;
}

std::int64_t TsdBufferedReadStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (origin == TSeekOrigin::soCurrent && offset == 0) return Source.GetPosition() - Buffered();
  if (origin == TSeekOrigin::soCurrent) offset -= Buffered();
  Next = Filled = 0;
  return Source.Seek(offset, origin);
}

void TsdBufferedReadStream::SetSize(std::int64_t) { throw EWriteError("Stream write error"); }

// ---- writing

TsdBufferedWriteStream::TsdBufferedWriteStream(TStream& target, std::size_t bufferSize)
    : Target(target), Buffer(std::max<std::size_t>(bufferSize, 1)) {}

std::int64_t TsdBufferedWriteStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  const auto size = static_cast<std::size_t>(count);
  if (Buffer.size() - Filled < size) {
    Flush();
    if (size >= Buffer.size()) return Target.Write(buffer, count);
  }
  std::memcpy(Buffer.data() + Filled, buffer, size);
  Filled += size;
  return count;
}

void TsdBufferedWriteStream::Flush() {
  if (Filled == 0) return;
  const auto count = static_cast<std::int64_t>(Filled);
  Filled = 0;
  if (Target.Write(Buffer.data(), count) != count) throw EXmlError("Cannot write to output stream");
}

std::int64_t TsdBufferedWriteStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (origin == TSeekOrigin::soCurrent && offset == 0) return Target.GetPosition() + static_cast<std::int64_t>(Filled);
  Flush();
  return Target.Seek(offset, origin);
}

std::int64_t TsdBufferedWriteStream::GetSize() {
  Flush();
  return Target.GetSize();
}

void TsdBufferedWriteStream::SetSize(std::int64_t size) {
  Flush();
  Target.SetSize(size);
}
