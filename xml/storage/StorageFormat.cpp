#include "xml/storage/StorageFormat.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/BufferedReader.h"
#include "platform/rtl/Format.h"
#include "xml/storage/StorageError.h"

namespace xml {
namespace {

// Free text that readers skip; it only tells a person what wrote the file.
constexpr std::string_view kSavedComment = "\r\nLabel designer storage of named streams version 1.1\r\n";
static_assert(kSavedComment.size() == kSavedDirectoryOffset - kBackingDirectoryOffset);

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

[[noreturn]] void Corrupt(const std::string& reason) {
  throw EStorageError(rtl::Format("Storage file is corrupt (%s)", reason));
}

// Reads a field only when the stream still holds its bytes, so nothing is
// read past the end; Bytes takes a count its caller has checked. The bytes
// come through a buffer: a directory of many short fields would otherwise
// cost a seek and a read of the file each.
class DirectoryReader {
public:
  explicit DirectoryReader(TStream& stream) : Size(stream.GetSize()), Reader(stream, 0, Size) {}

  std::int64_t StreamSize() const { return Size; }
  std::int64_t Position() const { return Reader.Position(); }
  std::int64_t Left() const { return Reader.Left(); }
  void Seek(std::int64_t position) { Reader.Seek(position); }

  template <class T>
  T Field(const char* what) {
    if (Left() < static_cast<std::int64_t>(sizeof(T))) Corrupt(rtl::Format("%s cut short", what));
    std::uint8_t bytes[sizeof(T)];
    Reader.Read(bytes, sizeof(T));
    return rtl::FromLittleEndian<T>(bytes);
  }

  std::string Bytes(std::int64_t count) {
    if (count > Left()) Corrupt("directory cut short");
    std::string bytes(static_cast<std::size_t>(count), '\0');
    Reader.Read(bytes.data(), count);
    return bytes;
  }

private:
  const std::int64_t Size;
  rtl::TBufferedReader Reader;
};

void CheckHeader(DirectoryReader& reader) {
  if (reader.StreamSize() < static_cast<std::int64_t>(kStorageSignature.size()) ||
      reader.Bytes(static_cast<std::int64_t>(kStorageSignature.size())) != kStorageSignature)
    throw EStorageError("File is not a storage file");
  if (reader.Field<std::uint8_t>("header") > kStorageMajorVersion) throw EStorageError("File is wrong (future) version");
  reader.Field<std::uint8_t>("header");  // the minor version is not checked
}

TStorageEntry ReadEntry(DirectoryReader& reader) {
  TStorageEntry entry;
  entry.Position = reader.Field<std::int64_t>("directory entry");
  entry.Size = reader.Field<std::int64_t>("directory entry");
  const std::int32_t length = reader.Field<std::int32_t>("directory entry");
  if (length < 0 || length > reader.Left()) Corrupt(rtl::Format("stream name length %d", length));
  entry.Name = reader.Bytes(length);
  return entry;
}

void CheckPlacement(const std::vector<TStorageEntry>& entries, std::int64_t dataStart, std::int64_t streamSize) {
  for (const TStorageEntry& e : entries) {
    if (e.Position < dataStart || e.Size < 0 || e.Position > streamSize || e.Size > streamSize - e.Position)
      Corrupt(rtl::Format("stream \"%s\" lies outside the file", e.Name));
  }
  std::vector<const TStorageEntry*> byPosition;
  for (const TStorageEntry& e : entries)
    if (e.Size > 0) byPosition.push_back(&e);
  std::sort(byPosition.begin(), byPosition.end(),
            [](const TStorageEntry* a, const TStorageEntry* b) { return a->Position < b->Position; });
  for (std::size_t i = 1; i < byPosition.size(); ++i) {
    const TStorageEntry& before = *byPosition[i - 1];
    if (byPosition[i]->Position < before.Position + before.Size)
      Corrupt(rtl::Format("streams \"%s\" and \"%s\" overlap", before.Name, byPosition[i]->Name));
  }
}

// Sorting the folded names keeps this linear-logarithmic: a hostile
// directory may list millions of entries.
void CheckNamesDiffer(const std::vector<TStorageEntry>& entries) {
  std::vector<std::pair<std::string, std::size_t>> folded;
  folded.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) folded.emplace_back(FoldedStreamName(entries[i].Name), i);
  std::sort(folded.begin(), folded.end());
  for (std::size_t i = 1; i < folded.size(); ++i)
    if (folded[i].first == folded[i - 1].first)
      Corrupt(rtl::Format("stream \"%s\" named twice", entries[folded[i].second].Name));
}

}  // namespace

bool SameStreamName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

std::string FoldedStreamName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = FoldCase(c);
  return folded;
}

std::int64_t DirectorySize(const std::vector<TStorageEntry>& entries) {
  return std::accumulate(entries.begin(), entries.end(), kDirectoryFixedSize,
                         [](std::int64_t sum, const TStorageEntry& e) {
                           return sum + kEntryFixedSize + static_cast<std::int64_t>(e.Name.size());
                         });
}

void WriteStorageHeader(TStream& stream) {
  stream.WriteBuffer(kStorageSignature.data(), static_cast<std::int64_t>(kStorageSignature.size()));
  rtl::WriteLE<std::uint8_t>(stream, kStorageMajorVersion);
  rtl::WriteLE<std::uint8_t>(stream, kStorageMinorVersion);
}

void WriteDirectoryEntries(TStream& stream, const std::vector<TStorageEntry>& entries) {
  // Gathered in memory and written as one block: a directory may have a
  // million entries, and a write of each field would cost a system call each.
  TMemoryStream block;
  rtl::WriteLE<std::int32_t>(block, static_cast<std::int32_t>(entries.size()));
  for (const TStorageEntry& e : entries) {
    rtl::WriteLE<std::int64_t>(block, e.Position);
    rtl::WriteLE<std::int64_t>(block, e.Size);
    rtl::WriteLE<std::int32_t>(block, static_cast<std::int32_t>(e.Name.size()));
    block.WriteBuffer(e.Name.data(), static_cast<std::int64_t>(e.Name.size()));
  }
  stream.WriteBuffer(block.Memory(), block.GetSize());
}

std::vector<TStorageEntry> SavedLayout(const std::vector<TStorageEntry>& entries) {
  std::vector<TStorageEntry> laidOut = entries;
  std::int64_t next = kSavedDirectoryOffset + DirectorySize(entries) - kOffsetFieldSize;
  for (TStorageEntry& e : laidOut) {
    e.Position = next;
    next += e.Size;
  }
  return laidOut;
}

void WriteSavedDirectory(TStream& stream, const std::vector<TStorageEntry>& laidOut) {
  WriteStorageHeader(stream);
  rtl::WriteLE<std::int64_t>(stream, kSavedDirectoryOffset);
  stream.WriteBuffer(kSavedComment.data(), static_cast<std::int64_t>(kSavedComment.size()));
  WriteDirectoryEntries(stream, laidOut);
}

std::vector<TStorageEntry> ReadDirectory(TStream& stream) {
  DirectoryReader reader(stream);
  CheckHeader(reader);
  const std::int64_t offset = reader.Field<std::int64_t>("header");
  if (offset < kBackingDirectoryOffset || offset > reader.StreamSize())
    Corrupt(rtl::Format("directory offset %d", offset));
  reader.Seek(offset);
  const std::int32_t count = reader.Field<std::int32_t>("directory");
  if (count < 0 || count > reader.Left() / kEntryFixedSize) Corrupt(rtl::Format("directory count %d", count));
  std::vector<TStorageEntry> entries;
  for (std::int32_t i = 0; i < count; ++i) entries.push_back(ReadEntry(reader));
  CheckPlacement(entries, reader.Position(), reader.StreamSize());
  CheckNamesDiffer(entries);
  stream.SetPosition(reader.Position());
  return entries;
}

}  // namespace xml
