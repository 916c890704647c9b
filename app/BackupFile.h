#pragma once
// TBackupFile: the archive component that unpacks label document files
// (BackupFile1 of the main window) and writes them.
//
// An archive is a title, then entries of a name, a file date and the file's
// data cut into chunks, each a complete zlib stream or stored bytes of at
// most 16384 bytes, and a zero name length at the end. An entry named
// "NEXT:DISK" and three characters ends a volume: the next volume is the
// archive's file with those characters as its extension, and it continues
// the interrupted file's data.
//
// Archives come from anywhere, so reading trusts nothing: every length is
// checked against its bound and against what the archive still holds, every
// chunk must inflate to at most one chunk's size, the data written is
// bounded, and a member is only ever written inside the target folder,
// whatever its name says.

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"

namespace app {

RTL_DECLARE_EXCEPTION(EArchiveError, Exception);

constexpr std::int32_t ArchiveChunkSize = 16384;

enum TBackupMode { bmAll, bmIncremental };
enum TCompressionLevel { clFastest, clNone, clDefault, clMax };
enum TRestoreMode { rmAll, rmNoOverwrite, rmNewer, rmExisting, rmExistingNewer };

// What the component asks of the person when no event of its own answers;
// the window implements it with message boxes.
class TBackupFilePrompts {
public:
  virtual ~TBackupFilePrompts() = default;
  // An error box with the text and an OK button.
  virtual void ShowError(const std::string& text) = 0;
  // The question for the next disk, OK (true) or Cancel (false).
  virtual bool AskForDisk(const std::string& text) = 0;
  // Lets the window breathe between chunks.
  virtual void ProcessMessages() {}
};

struct TArchiveMember {
  std::string Name;
  std::span<const std::uint8_t> Data;
};

// The error codes and their texts; the reading side sets only
// beCompression, the others belong to writing.
enum TBackupError {
  beNone = 0,
  beCannotReadFile = 1,
  beOverwriteFailed = 2,
  beCannotReadArchive = 3,
  beCannotWriteArchive = 4,
  beInvalidArchiveType = 5,
  beCompression = 6,
  beFileIdTempFile = 7,
};
std::string BackupErrorText(int code);

// A time as the packed date and time of the platform that made the format
// (local time, two-second steps, years from 1980), and back.
std::int32_t PackedFileDate(std::time_t time);
std::time_t UnpackedFileDate(std::int32_t packed);

class TBackupFile {
public:
  static constexpr const char* StreamName = ":STREAM";

  using TProgressEvent =
      std::function<void(TBackupFile& sender, const std::string& fileName, int percent, bool& proceed)>;
  using TNeedDiskEvent = std::function<void(TBackupFile& sender, std::uint16_t disk, bool& proceed)>;
  using TRestoreFileEvent =
      std::function<void(TBackupFile& sender, const std::string& fileName, std::int32_t fileDate, bool& restore)>;
  using TFileRestoredEvent = std::function<void(TBackupFile& sender, const std::string& fileName, TStream& output)>;
  using TErrorEvent = std::function<void(TBackupFile& sender, int code, const std::string& text)>;

  explicit TBackupFile(TBackupFilePrompts* prompts = nullptr) : Prompts(prompts) {}

  // ---- published properties
  std::string GetVersion() const { return "5.00"; }
  void SetVersion(const std::string&) {}
  std::string BackupTitle;
  TBackupMode GetBackupMode() const { return BackupMode; }
  // An incremental backup also sets the archive flag of the files it takes.
  void SetBackupMode(TBackupMode value);
  TCompressionLevel CompressionLevel = clFastest;
  TRestoreMode RestoreMode = rmAll;
  std::int32_t MaxSize = 0;
  bool SetArchiveFlag = false;
  bool RestoreFullPath = false;
  bool SaveFileID = false;

  TProgressEvent OnProgress;
  TNeedDiskEvent OnNeedDisk;
  TRestoreFileEvent OnRestoreFile;
  TFileRestoredEvent OnFileRestored;
  TErrorEvent OnError;

  // The stream Restore reads for the archive name ":STREAM", from its
  // position.
  TStream* Stream = nullptr;

  // All data written by one restore; an archive that would give more is
  // refused, as no label document comes near it.
  static constexpr std::int64_t DefaultMaxRestoredSize = std::int64_t{256} << 20;
  std::int64_t MaxRestoredSize = DefaultMaxRestoredSize;
  // The most one restored file may hold, by its name in the archive; unset,
  // only MaxRestoredSize bounds it.
  std::function<std::int64_t(const std::string& name)> MaxFileSize;

  // ---- run-time state
  bool IsBusy() const { return Busy; }
  bool GetContinue() const { return Continue; }
  int GetErrorCode() const { return ErrorCode; }
  int GetFilesRestored() const { return FilesRestored; }
  std::int64_t GetTotalSize() const { return TotalSize; }
  std::int64_t GetDoneSize() const { return DoneSize; }
  const std::string& GetCurrentFileName() const { return CurrentFileName; }

  // Unpacks the archive file (or the assigned stream) into the target
  // folder by RestoreMode. True when no error came up and nobody stopped
  // the walk; a missing archive file gives False and reports nothing. A
  // damaged archive raises EArchiveError ("Invalid archive type" for a
  // wrong data tag); a zlib failure is reported with ReportError.
  bool Restore(const std::string& archiveName, const std::string& targetFolder);
  // One file's data, the tag and its chunks, from the archive: written to
  // output with write, else skipped.
  void RestoreFileData(TStream& archive, TStream* output, bool write);
  // The code's text to OnError, else in the error box.
  void ReportError(int code);

  // Writes an archive of the members at the stream's position. Each piece
  // of a member is deflated when that makes it smaller, else stored.
  static void Backup(TStream& archive, const std::string& title, std::span<const TArchiveMember> members,
                     std::int32_t fileDate);

private:
  class TRestoreWalk;
  class TArchiveChunkReader;
  class TRestoredBytes;
  // Archive bytes read between two calls of the prompts' ProcessMessages.
  static constexpr std::int64_t BreathBytes = 65536;

  // The chunks of one file's data up to its end: restored when given where,
  // else skipped.
  void RestoreChunks(TArchiveChunkReader& reader, TRestoredBytes* restored);

  void CountWritten(std::int64_t size);
  void ReportProgress(std::int64_t bytes);
  // disk: the volume's number as text, without leading zeros.
  bool AskForDisk(const std::string& disk);

  TBackupFilePrompts* Prompts;
  TBackupMode BackupMode = bmAll;
  bool Busy = false;
  bool Continue = true;
  int ErrorCode = beNone;
  int FilesRestored = 0;
  std::int64_t TotalSize = 0;
  std::int64_t DoneSize = 0;
  std::int64_t Written = 0;
  std::int64_t FileWritten = 0;
  std::int64_t FileBound = INT64_MAX;
  std::string CurrentFileName;
};

}  // namespace app
