#pragma once
// The "STOR" file layout: a 6-byte header ("STOR", major and minor version),
// the Int64 offset of the directory, then the directory (Int32 count and per
// entry Int64 position, Int64 size, Int32 name length and the name bytes).
// A saved file carries a 55-byte comment between the offset and a directory
// at 69 with the data packed after it; a file worked on in place keeps its
// directory at 14 and its data anywhere behind it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Stream.h"
#include "xml/storage/StorageEntry.h"

namespace xml {

inline constexpr std::string_view kStorageSignature = "STOR";
inline constexpr std::uint8_t kStorageMajorVersion = 1;
inline constexpr std::uint8_t kStorageMinorVersion = 1;
inline constexpr std::int64_t kDirectoryOffsetField = 6;      // where the Int64 offset lives
inline constexpr std::int64_t kOffsetFieldSize = 8;
inline constexpr std::int64_t kBackingDirectoryOffset = 14;   // directory of a working store
inline constexpr std::int64_t kSavedDirectoryOffset = 69;     // directory of a saved file
inline constexpr std::int64_t kDirectoryFixedSize = 12;       // the offset field and the count
inline constexpr std::int64_t kEntryFixedSize = 20;           // position, size and name length

// Stream names match without regard to the case of ASCII letters.
bool SameStreamName(std::string_view a, std::string_view b);
// The name with its ASCII letters in upper case: equal for names that match.
std::string FoldedStreamName(std::string_view name);

// Bytes of the offset field and the directory: 12 + sum(20 + name length).
std::int64_t DirectorySize(const std::vector<TStorageEntry>& entries);

// Writes "STOR" and the version bytes at the stream's position.
void WriteStorageHeader(TStream& stream);
// Writes the count and the entries at the stream's position.
void WriteDirectoryEntries(TStream& stream, const std::vector<TStorageEntry>& entries);

// The entries as a saved file places them: the first stream right after the
// directory at 69, each next one right after the previous, in order.
std::vector<TStorageEntry> SavedLayout(const std::vector<TStorageEntry>& entries);
// Writes the header, the offset 69, the comment and the directory of a saved
// file whose entries were laid out by SavedLayout.
void WriteSavedDirectory(TStream& stream, const std::vector<TStorageEntry>& laidOut);

// Reads and checks the header and the directory of a container held in
// stream. Every count, length, position and size is checked against the
// stream's size before it is used; streams must lie behind the directory,
// inside the stream and apart from each other, and no name may be listed
// twice (a second entry could never be read). Raises EStorageError.
std::vector<TStorageEntry> ReadDirectory(TStream& stream);

}  // namespace xml
