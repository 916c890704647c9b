#include "app/LabelArchive.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "platform/rtl/BinaryIO.h"

namespace app {

namespace {

constexpr std::array<std::uint8_t, 4> DataTag = {'E', 'C', '2', 0};
constexpr std::string_view VolumeSwitch = "NEXT:DISK";
constexpr std::string_view FileList = "FILE:LIST";
// Entry names are file names of the platform that wrote them.
constexpr std::int32_t MaxNameLength = 1024;

[[noreturn]] void Damaged(const char* what) { throw EArchiveError(std::string("Damaged archive: ") + what); }

// count bytes that must still be in the archive.
void Require(TStream& archive, std::int64_t count) {
  if (count > archive.Remaining()) Damaged("it ends too early");
}

std::int32_t ReadLength(TStream& archive) {
  Require(archive, 4);
  return rtl::ReadLE<std::int32_t>(archive);
}

std::string ReadText(TStream& archive, std::int32_t length) {
  Require(archive, length);
  std::string text(static_cast<std::size_t>(length), '\0');
  archive.ReadBuffer(text.data(), length);
  return text;
}

// The name without the folders of the machine that wrote the archive.
std::string FilePart(const std::string& name) {
  const std::size_t slash = name.find_last_of("\\/:");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// The length of a chunk's bytes; 0 ends the file's data.
std::int32_t ChunkByteCount(std::int32_t length) {
  if (length < -ArchiveChunkSize || length > ArchiveChunkSize) Damaged("a chunk is too long");
  return length < 0 ? -length : length;
}

// One chunk as a complete zlib stream of at most one chunk's size: a
// stream that would inflate to more is refused, whatever it claims.
std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& packed) {
  std::vector<std::uint8_t> plain(ArchiveChunkSize);
  uLongf size = ArchiveChunkSize;
  if (::uncompress(plain.data(), &size, packed.data(), static_cast<uLong>(packed.size())) != Z_OK)
    throw EArchiveError("Compression error");
  plain.resize(size);
  return plain;
}

// The piece as a zlib stream when that is shorter than the piece itself.
bool Deflate(std::span<const std::uint8_t> piece, std::vector<std::uint8_t>& packed) {
  packed.resize(::compressBound(static_cast<uLong>(piece.size())));
  uLongf size = static_cast<uLongf>(packed.size());
  if (::compress2(packed.data(), &size, piece.data(), static_cast<uLong>(piece.size()), Z_BEST_SPEED) != Z_OK)
    return false;
  packed.resize(size);
  return packed.size() < piece.size();
}

void WriteChunk(TStream& archive, std::int32_t length, std::span<const std::uint8_t> bytes) {
  rtl::WriteLE<std::int32_t>(archive, length);
  archive.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

}  // namespace

void TBackupFile::Restore(TStream& archive, const TArchiveOutput& output) {
  Restored = 0;
  const std::int32_t titleLength = ReadLength(archive);
  if (titleLength < 0) Damaged("bad title length");
  ReadText(archive, titleLength);
  Require(archive, 8);  // total size for progress and a value of no use
  archive.Seek(8, TSeekOrigin::soCurrent);
  for (;;) {
    const std::int32_t nameLength = ReadLength(archive);
    if (nameLength == 0) return;
    if (nameLength < 0 || nameLength > MaxNameLength) Damaged("bad name length");
    const std::string name = ReadText(archive, nameLength);
    // Volumes would be sibling files named by the archive: never followed.
    if (name.starts_with(VolumeSwitch)) throw EArchiveError("Archives spread over several disks are not supported");
    Require(archive, 4);
    archive.Seek(4, TSeekOrigin::soCurrent);  // the file date
    RestoreFileData(archive, name == FileList ? nullptr : output(FilePart(name)));
  }
}

void TBackupFile::RestoreFileData(TStream& archive, TStream* output) {
  std::array<std::uint8_t, 4> tag{};
  Require(archive, 4);
  archive.ReadBuffer(tag.data(), 4);
  const auto end = std::find(tag.begin(), tag.end(), 0);
  if (std::string_view(reinterpret_cast<const char*>(tag.data()), end - tag.begin()) != "EC2")
    throw EArchiveError("Invalid archive type");
  for (std::int32_t length = ReadLength(archive); length != 0; length = ReadLength(archive)) {
    const std::int32_t count = ChunkByteCount(length);
    Require(archive, count);
    if (!output) {
      archive.Seek(count, TSeekOrigin::soCurrent);
      continue;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    archive.ReadBuffer(bytes.data(), count);
    if (length > 0) bytes = Inflate(bytes);
    CountRestored(static_cast<std::int64_t>(bytes.size()));
    output->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  }
}

void TBackupFile::CountRestored(std::int64_t size) {
  Restored += size;
  if (Restored > MaxRestoredSize) throw EArchiveError("The archive holds more data than a label document can");
}

void TBackupFile::Backup(TStream& archive, const std::string& title, std::span<const TArchiveMember> members,
                         std::int32_t fileDate) {
  std::int64_t total = 0;
  for (const TArchiveMember& member : members) total += static_cast<std::int64_t>(member.Data.size());
  rtl::WriteLE<std::int32_t>(archive, static_cast<std::int32_t>(title.size()));
  archive.WriteBuffer(title.data(), static_cast<std::int64_t>(title.size()));
  rtl::WriteLE<std::int32_t>(archive, static_cast<std::int32_t>(std::min<std::int64_t>(total, INT32_MAX)));
  rtl::WriteLE<std::int32_t>(archive, 0);
  std::vector<std::uint8_t> packed;
  for (const TArchiveMember& member : members) {
    rtl::WriteLE<std::int32_t>(archive, static_cast<std::int32_t>(member.Name.size()));
    archive.WriteBuffer(member.Name.data(), static_cast<std::int64_t>(member.Name.size()));
    rtl::WriteLE<std::int32_t>(archive, fileDate);
    archive.WriteBuffer(DataTag.data(), DataTag.size());
    for (std::size_t offset = 0; offset < member.Data.size(); offset += ArchiveChunkSize) {
      const auto piece = member.Data.subspan(offset, std::min<std::size_t>(ArchiveChunkSize, member.Data.size() - offset));
      if (Deflate(piece, packed))
        WriteChunk(archive, static_cast<std::int32_t>(packed.size()), packed);
      else
        WriteChunk(archive, -static_cast<std::int32_t>(piece.size()), piece);
    }
    rtl::WriteLE<std::int32_t>(archive, 0);
  }
  rtl::WriteLE<std::int32_t>(archive, 0);
}

}  // namespace app
