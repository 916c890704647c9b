#pragma once
// TBackupFile: the archive that holds the members of a label document file.
// An archive is a title, then entries of a name, a file date and the file's
// data cut into chunks, each a complete zlib stream or stored bytes of at
// most 16384 bytes, and a zero name length at the end. Archives come from
// anywhere, so reading trusts nothing: every length is checked against its
// bound and against what the archive still holds, every chunk must inflate
// to at most one chunk's size, the whole is bounded, and a member name is
// only handed to the caller to compare, never used as a path.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"

namespace app {

RTL_DECLARE_EXCEPTION(EArchiveError, Exception);

constexpr std::int32_t ArchiveChunkSize = 16384;

struct TArchiveMember {
  std::string Name;
  std::span<const std::uint8_t> Data;
};

// The stream an entry's data is restored into, chosen by the entry's name
// (without any folder part); nullptr skips the entry.
using TArchiveOutput = std::function<TStream*(const std::string& name)>;

class TBackupFile {
public:
  // All data restored from one archive together; an archive that would give
  // more is refused, as no label document comes near it.
  static constexpr std::int64_t DefaultMaxRestoredSize = std::int64_t{256} << 20;
  std::int64_t MaxRestoredSize = DefaultMaxRestoredSize;

  // Reads the archive from its position to its end marker and hands each
  // entry's data to output. Raises EArchiveError with the reason ("Invalid
  // archive type", "Compression error", ...) at the first fault; what was
  // written to the outputs until then is incomplete.
  void Restore(TStream& archive, const TArchiveOutput& output);

  // Writes an archive of the members at the stream's position. Each piece
  // of a member is deflated when that makes it smaller, else stored.
  static void Backup(TStream& archive, const std::string& title, std::span<const TArchiveMember> members,
                     std::int32_t fileDate);

private:
  // One entry's data: the tag and the chunks, inflated into output, or
  // checked and skipped without one.
  void RestoreFileData(TStream& archive, TStream* output);
  void CountRestored(std::int64_t size);

  std::int64_t Restored = 0;
};

}  // namespace app
