#include "platform/rtl/Stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

std::int64_t TStream::GetSize() {
  const std::int64_t position = GetPosition();
  const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

std::int64_t TStream::Remaining() { return std::max<std::int64_t>(0, GetSize() - GetPosition()); }

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count)) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  constexpr std::int64_t kChunk = 64 * 1024;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(count, kChunk)));
  std::int64_t left = count;
  while (left > 0) {
    const std::int64_t n = std::min(left, kChunk);
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return count;
}

// ---- TMemoryStream ----

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t size = GetSize();
  if (count <= 0 || Position < 0 || Position >= size) return 0;
  const std::int64_t n = std::min(count, size - Position);
  std::memcpy(buffer, Data.data() + Position, static_cast<std::size_t>(n));
  Position += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  if (Position < 0) return 0;
  const std::int64_t end = Position + count;
  if (end > GetSize()) Data.resize(static_cast<std::size_t>(end));
  std::memcpy(Data.data() + Position, buffer, static_cast<std::size_t>(count));
  Position = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning: Position = offset; break;
    case TSeekOrigin::soCurrent: Position += offset; break;
    case TSeekOrigin::soEnd: Position = GetSize() + offset; break;
  }
  return Position;
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) throw EStreamError("Invalid stream size");
  Data.resize(static_cast<std::size_t>(size));
  Position = std::min(Position, size);
}

void TMemoryStream::Clear() {
  Data.clear();
  Data.shrink_to_fit();
  Position = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const std::int64_t size = source.GetSize();
  SetSize(size);
  source.ReadBuffer(Data.data(), size);
  Position = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) const { dest.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size())); }

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

// ---- TFileStream ----

TFileStream::TFileStream(const std::string& fileName, std::uint16_t mode) : Name(fileName) {
  if ((mode & fmCreate) == fmCreate) {
    Handle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (Handle < 0) throw EFCreateError(rtl::Format("Cannot create file \"%s\". %s", fileName, std::strerror(errno)));
    return;
  }
  int flags = O_RDONLY;
  if ((mode & 3) == fmOpenWrite) flags = O_WRONLY;
  if ((mode & 3) == fmOpenReadWrite) flags = O_RDWR;
  Handle = ::open(fileName.c_str(), flags | O_CLOEXEC);
  if (Handle >= 0) {
    struct stat info {};
    if (::fstat(Handle, &info) == 0 && S_ISDIR(info.st_mode)) {
      ::close(Handle);
      Handle = -1;
      errno = EISDIR;
    }
  }
  if (Handle < 0) throw EFOpenError(rtl::Format("Cannot open file \"%s\". %s", fileName, std::strerror(errno)));
}

TFileStream::~TFileStream() {
  if (Handle >= 0) ::close(Handle);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  std::int64_t done = 0;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  while (done < count) {
    const ssize_t n = ::read(Handle, bytes + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  std::int64_t done = 0;
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  while (done < count) {
    const ssize_t n = ::write(Handle, bytes + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
  const off_t result = ::lseek(Handle, static_cast<off_t>(offset), whence);
  if (result < 0) throw EStreamError(rtl::Format("Cannot seek in file \"%s\". %s", Name, std::strerror(errno)));
  return result;
}

void TFileStream::SetSize(std::int64_t size) {
  if (size < 0 || ::ftruncate(Handle, static_cast<off_t>(size)) != 0)
    throw EWriteError(rtl::Format("Cannot set the size of file \"%s\". %s", Name, std::strerror(errno)));
  if (GetPosition() > size) SetPosition(size);
}
