#include "app/BackupFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/BufferedReader.h"
#include "platform/rtl/Format.h"

namespace app {

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::uint8_t, 4> DataTag = {'E', 'C', '2', 0};
constexpr std::string_view VolumeSwitch = "NEXT:DISK";
constexpr std::size_t VolumeExtensionLength = 3;
constexpr std::string_view FileList = "FILE:LIST";
// Entry names are file names of the platform that wrote them.
constexpr std::int32_t MaxNameLength = 1024;
// Three characters name at most this many other volumes; more switches go
// round in a circle.
constexpr int MaxVolumeSwitches = 999;

constexpr std::array<const char*, 7> ErrorTexts = {
    "Cannot read file",     "Overwriting file failed", "Cannot read archive",
    "Cannot write to archive", "Invalid archive type",  "Compression error",
    "Cannot create temporary file to save the file IDs",
};

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

// The name without its drive ("C:"); a name without one keeps all its
// characters.
std::string WithoutDrive(const std::string& name) {
  const bool drive = name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
  return drive ? name.substr(2) : name;
}

// Where under the target folder an entry goes: its file part, or with the
// full path its folders after the drive. Nothing that climbs out ("..") or
// names no file is restored.
std::optional<fs::path> MemberPath(const std::string& name, bool fullPath) {
  if (name.find('\0') != std::string::npos) return std::nullopt;
  const std::string rest = fullPath ? WithoutDrive(name) : FilePart(name);
  fs::path path;
  std::size_t start = 0;
  while (start <= rest.size()) {
    const std::size_t end = std::min(rest.find_first_of("\\/", start), rest.size());
    const std::string part = rest.substr(start, end - start);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") path /= part;
    start = end + 1;
  }
  if (path.empty()) return std::nullopt;
  return path;
}

// The folder lies inside the target, symbolic links resolved.
bool Inside(const fs::path& folder, const fs::path& target) {
  std::error_code error;
  const fs::path real = fs::weakly_canonical(folder, error);
  if (error) return false;
  const fs::path root = fs::weakly_canonical(target, error);
  if (error) return false;
  const auto mismatch = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
  return mismatch.first == root.end();
}

// Makes the folder below the target one step at a time, each step checked
// before the next is made: an existing step must be a folder inside the
// target, links resolved, so that a link never leads a folder out of it.
bool MakeFoldersInside(const fs::path& folder, const fs::path& target) {
  std::error_code error;
  fs::create_directories(target, error);
  if (!fs::is_directory(target, error)) return false;
  fs::path step = target;
  for (const fs::path& part : folder.lexically_relative(target)) {
    if (part == ".") continue;
    step /= part;
    if (!fs::exists(fs::symlink_status(step, error))) fs::create_directory(step, error);
    if (!fs::is_directory(step, error) || !Inside(step, target)) return false;
  }
  return true;
}

// The length of a chunk's bytes; 0 ends the file's data.
std::int32_t ChunkByteCount(std::int32_t length) {
  if (length < -ArchiveChunkSize || length > ArchiveChunkSize) Damaged("a chunk is too long");
  return length < 0 ? -length : length;
}

// One chunk as a complete zlib stream of at most one chunk's size, into
// plain (which holds a chunk): a stream that would inflate to more fails,
// whatever it claims. The inflated size, nullopt on failure.
std::optional<std::size_t> Inflate(std::span<const std::uint8_t> packed, std::span<std::uint8_t> plain) {
  uLongf size = static_cast<uLongf>(plain.size());
  if (::uncompress(plain.data(), &size, packed.data(), static_cast<uLong>(packed.size())) != Z_OK)
    return std::nullopt;
  return size;
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

bool IsRegularFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(fs::symlink_status(path, error));
}

// The file's modification time in the packed form; nullopt when it has none.
std::optional<std::uint32_t> PackedModificationTime(const fs::path& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return std::nullopt;
  return static_cast<std::uint32_t>(PackedFileDate(status.st_mtime));
}

void SetModificationTime(const fs::path& path, std::int32_t packed) {
  const std::time_t time = UnpackedFileDate(packed);
  const struct timespec times[2] = {{time, 0}, {time, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// The volume's extension: three letters or digits, nothing that could
// name another folder.
std::string VolumeExtension(const std::string& name) {
  if (name.size() != VolumeSwitch.size() + VolumeExtensionLength) Damaged("bad volume name");
  const std::string extension = name.substr(VolumeSwitch.size());
  for (const char c : extension)
    if (!std::isalnum(static_cast<unsigned char>(c))) Damaged("bad volume name");
  return extension;
}

// The disk number: the extension without its leading zeros.
std::string DiskNumberText(const std::string& extension) {
  const std::size_t first = extension.find_first_not_of('0');
  return first == std::string::npos ? std::string() : extension.substr(first);
}

std::string WithExtension(const std::string& fileName, const std::string& extension) {
  fs::path path(fileName);
  path.replace_extension(extension);
  return path.string();
}

}  // namespace

std::string BackupErrorText(int code) {
  if (code < 1 || code > static_cast<int>(ErrorTexts.size())) return {};
  return ErrorTexts[static_cast<std::size_t>(code - 1)];
}

std::int32_t PackedFileDate(std::time_t time) {
  std::tm local{};
  ::localtime_r(&time, &local);
  const auto year = static_cast<std::uint32_t>(std::clamp(local.tm_year - 80, 0, 127));
  const std::uint32_t packed = year << 25 | std::uint32_t(local.tm_mon + 1) << 21 | std::uint32_t(local.tm_mday) << 16 |
                               std::uint32_t(local.tm_hour) << 11 | std::uint32_t(local.tm_min) << 5 |
                               std::uint32_t(local.tm_sec / 2);
  return static_cast<std::int32_t>(packed);
}

std::time_t UnpackedFileDate(std::int32_t packed) {
  const auto bits = static_cast<std::uint32_t>(packed);
  std::tm local{};
  local.tm_year = static_cast<int>(bits >> 25) + 80;
  local.tm_mon = static_cast<int>(bits >> 21 & 0xF) - 1;
  local.tm_mday = static_cast<int>(bits >> 16 & 0x1F);
  local.tm_hour = static_cast<int>(bits >> 11 & 0x1F);
  local.tm_min = static_cast<int>(bits >> 5 & 0x3F);
  local.tm_sec = static_cast<int>(bits & 0x1F) * 2;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

void TBackupFile::SetBackupMode(TBackupMode value) {
  BackupMode = value;
  if (value == bmIncremental) SetArchiveFlag = true;
}

// One walk through an archive and its volumes into the target folder.
class TBackupFile::TRestoreWalk {
public:
  TRestoreWalk(TBackupFile& owner, std::string archiveName, fs::path target)
      : Owner(owner), ArchiveName(std::move(archiveName)), Target(std::move(target)) {}

  // The archive file, or the assigned stream; False when the file is missing.
  bool Open() {
    if (ArchiveName == StreamName) {
      if (!Owner.Stream) return false;
      Archive = Owner.Stream;
      return true;
    }
    std::error_code error;
    if (!fs::exists(ArchiveName, error)) return false;
    // A pipe or device in the file's place would block or never end.
    if (!fs::is_regular_file(ArchiveName, error))
      throw EFOpenError(rtl::Format("Cannot open file \"%s\". %s", ArchiveName, "Not a regular file"));
    ArchiveFile = std::make_unique<TFileStream>(ArchiveName, fmOpenRead);
    Archive = ArchiveFile.get();
    return true;
  }

  void ReadHeader() {
    const std::int32_t titleLength = ReadLength(*Archive);
    if (titleLength < 0) Damaged("bad title length");
    ReadText(*Archive, titleLength);
    Owner.TotalSize = ReadLength(*Archive);
    ReadLength(*Archive);  // stored by the writer, of no use here
    Owner.DoneSize = 0;
  }

  void ReadEntries() {
    while (Owner.Continue) {
      const std::int32_t nameLength = ReadLength(*Archive);
      if (nameLength == 0) return;
      if (nameLength < 0 || nameLength > MaxNameLength) Damaged("bad name length");
      const std::string name = ReadText(*Archive, nameLength);
      if (name.starts_with(VolumeSwitch))
        SwitchVolume(VolumeExtension(name));
      else
        ReadEntry(name);
    }
  }

  void Close() { ArchiveFile.reset(); }

private:
  void ReadEntry(const std::string& name) {
    const std::int32_t date = ReadLength(*Archive);
    const std::optional<fs::path> member = MemberPath(name, Owner.RestoreFullPath);
    OutputPath = member ? Target / *member : fs::path();
    Owner.CurrentFileName = OutputPath.string();
    OutputDate = date;
    Restoring = member && name != FileList && Decide(name, date);
    TStream* output = Restoring ? CreateOutput() : nullptr;
    Restoring = output != nullptr;
    Owner.FileWritten = 0;
    Owner.FileBound = Owner.MaxFileSize ? Owner.MaxFileSize(name) : INT64_MAX;
    Owner.RestoreFileData(*Archive, output, Restoring);
    if (!Restoring) return;
    ++Owner.FilesRestored;
    if (Owner.OnFileRestored) Owner.OnFileRestored(Owner, name, *output);
    CloseOutput();
  }

  // By the restore mode on the dates, then the event's say.
  bool Decide(const std::string& name, std::int32_t date) {
    const bool exists = IsRegularFile(OutputPath);
    const std::optional<std::uint32_t> existing = exists ? PackedModificationTime(OutputPath) : std::nullopt;
    const bool older = existing && *existing < static_cast<std::uint32_t>(date);
    bool restore = false;
    switch (Owner.RestoreMode) {
      case rmAll: restore = true; break;
      case rmNoOverwrite: restore = !exists; break;
      case rmNewer: restore = !exists || older; break;
      case rmExisting: restore = exists; break;
      case rmExistingNewer: restore = exists && older; break;
    }
    if (Owner.OnRestoreFile) Owner.OnRestoreFile(Owner, name, date, restore);
    return restore;
  }

  // The output file, created in its folder when that folder can be made
  // inside the target; nil otherwise.
  TStream* CreateOutput() {
    std::error_code error;
    if (!MakeFoldersInside(OutputPath.parent_path(), Target)) return nullptr;
    // A link in the member's place would lead the data elsewhere.
    if (fs::is_symlink(fs::symlink_status(OutputPath, error))) return nullptr;
    Output = std::make_unique<TFileStream>(OutputPath.string(), fmCreate);
    return Output.get();
  }

  void CloseOutput() {
    Output.reset();
    SetModificationTime(OutputPath, OutputDate);
  }

  void SwitchVolume(const std::string& extension) {
    if (!ArchiveFile) Damaged("a stream has no next volume");
    if (++VolumeSwitches > MaxVolumeSwitches) Damaged("too many volumes");
    Close();
    const std::string disk = DiskNumberText(extension);
    std::string next;
    do {
      Owner.Continue = Owner.AskForDisk(disk);
      next = WithExtension(ArchiveName, "." + extension);
    } while (Owner.Continue && !IsRegularFile(next));
    if (!Owner.Continue) return;
    ArchiveName = next;
    ArchiveFile = std::make_unique<TFileStream>(ArchiveName, fmOpenRead);
    Archive = ArchiveFile.get();
    TStream* output = nullptr;
    if (Restoring) {
      Output = std::make_unique<TFileStream>(OutputPath.string(), fmOpenWrite);
      Output->Seek(0, TSeekOrigin::soEnd);
      output = Output.get();
    }
    Owner.RestoreFileData(*Archive, output, Restoring);
    if (Restoring) CloseOutput();
  }

  TBackupFile& Owner;
  std::string ArchiveName;
  const fs::path Target;
  std::unique_ptr<TFileStream> ArchiveFile;
  TStream* Archive = nullptr;
  std::unique_ptr<TFileStream> Output;
  fs::path OutputPath;
  std::int32_t OutputDate = 0;
  bool Restoring = false;
  int VolumeSwitches = 0;
};

bool TBackupFile::Restore(const std::string& archiveName, const std::string& targetFolder) {
  // Without a target folder the members go to the current folder, never
  // to where a name's own folders would lead.
  const fs::path target = targetFolder.empty() ? fs::path(".") : fs::path(targetFolder);
  ErrorCode = beNone;
  FilesRestored = 0;
  Continue = true;
  Written = 0;
  TRestoreWalk walk(*this, archiveName, target);
  if (!walk.Open()) return false;
  Busy = true;
  struct TNotBusy {
    bool& Busy;
    ~TNotBusy() { Busy = false; }
  } notBusy{Busy};
  walk.ReadHeader();
  walk.ReadEntries();
  walk.Close();
  const bool result = ErrorCode == beNone && Continue;
  bool proceed = Continue;
  if (OnProgress) OnProgress(*this, std::string(), 100, proceed);
  Busy = false;
  if (ErrorCode != beNone) ReportError(ErrorCode);
  return result;
}

// One file's data read out of the archive through a buffer: an archive may
// cut a file into a million chunks of a byte, and reading each length and
// each chunk from the archive itself would cost a system call each. Every
// count is checked against what the archive still holds, and the archive is
// left right after the bytes taken, also when reading fails.
class TBackupFile::TArchiveChunkReader {
public:
  explicit TArchiveChunkReader(TStream& archive)
      : Archive(archive), Start(archive.GetPosition()), Reader(archive, Start, archive.Remaining()) {}
  ~TArchiveChunkReader() {
    try {
      Archive.SetPosition(Start + Reader.Position());
    } catch (...) {  // the failure that ends the reading is the one to report
    }
  }
  TArchiveChunkReader(const TArchiveChunkReader&) = delete;
  TArchiveChunkReader& operator=(const TArchiveChunkReader&) = delete;

  // count bytes that must still be in the archive.
  void Require(std::int64_t count) const {
    if (count > Reader.Left()) Damaged("it ends too early");
  }
  std::int32_t Length() {
    std::uint8_t bytes[4];
    Take(bytes, 4);
    return rtl::FromLittleEndian<std::int32_t>(bytes);
  }
  void Take(std::uint8_t* dest, std::int64_t count) {
    Require(count);
    Reader.Read(dest, count);
  }
  void Skip(std::int64_t count) {
    Require(count);
    Reader.Seek(Reader.Position() + count);
  }

private:
  TStream& Archive;
  const std::int64_t Start;
  rtl::TBufferedReader Reader;
};

// The restored bytes of a file, handed to the output in large writes.
class TBackupFile::TRestoredBytes {
public:
  explicit TRestoredBytes(TStream& output) : Output(output) {}

  void Add(const std::uint8_t* bytes, std::size_t count) {
    Pending.insert(Pending.end(), bytes, bytes + count);
    if (Pending.size() >= WriteSize) Flush();
  }
  void Flush() {
    const std::vector<std::uint8_t> bytes = std::exchange(Pending, {});
    Output.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  }
  // What was restored before a failure stays written, as it would have
  // been chunk by chunk.
  void FlushQuietly() noexcept {
    try {
      Flush();
    } catch (...) {  // the failure that ends the restore is the one to report
    }
  }

private:
  static constexpr std::size_t WriteSize = 262144;
  TStream& Output;
  std::vector<std::uint8_t> Pending;
};

void TBackupFile::RestoreFileData(TStream& archive, TStream* output, bool write) {
  TArchiveChunkReader reader(archive);
  std::array<std::uint8_t, 4> tag{};
  reader.Take(tag.data(), 4);
  const auto end = std::find(tag.begin(), tag.end(), 0);
  if (std::string_view(reinterpret_cast<const char*>(tag.data()), end - tag.begin()) != "EC2")
    throw EArchiveError(BackupErrorText(beInvalidArchiveType));
  if (!(write && output)) {
    RestoreChunks(reader, nullptr);
    return;
  }
  TRestoredBytes restored(*output);
  try {
    RestoreChunks(reader, &restored);
  } catch (...) {
    restored.FlushQuietly();
    throw;
  }
  restored.Flush();
}

void TBackupFile::RestoreChunks(TArchiveChunkReader& reader, TRestoredBytes* restored) {
  std::array<std::uint8_t, ArchiveChunkSize> bytes{}, plain{};
  std::int64_t sinceBreath = 0;
  while (Continue) {
    const std::int32_t length = reader.Length();
    if (length == 0) return;
    const std::int32_t count = ChunkByteCount(length);
    if (!restored) {
      reader.Skip(count);
      ReportProgress(ArchiveChunkSize);
    } else {
      reader.Take(bytes.data(), count);
      std::span<const std::uint8_t> chunk(bytes.data(), static_cast<std::size_t>(count));
      if (length > 0) {
        const std::optional<std::size_t> size = Inflate(chunk, plain);
        if (!size) {
          ErrorCode = beCompression;
          Continue = false;
          return;
        }
        chunk = std::span<const std::uint8_t>(plain.data(), *size);
      }
      CountWritten(static_cast<std::int64_t>(chunk.size()));
      restored->Add(chunk.data(), chunk.size());
      ReportProgress(static_cast<std::int64_t>(chunk.size()));
    }
    // The window is let breathe every so many bytes, not after each of a
    // million tiny chunks.
    sinceBreath += 4 + count;
    if (Prompts && sinceBreath >= BreathBytes) {
      Prompts->ProcessMessages();
      sinceBreath = 0;
    }
  }
}

void TBackupFile::ReportError(int code) {
  const std::string text = BackupErrorText(code);
  if (OnError)
    OnError(*this, code, text);
  else if (Prompts)
    Prompts->ShowError(text);
}

void TBackupFile::CountWritten(std::int64_t size) {
  Written += size;
  FileWritten += size;
  if (Written > MaxRestoredSize || FileWritten > FileBound)
    throw EArchiveError("The archive holds more data than a label document can");
}

void TBackupFile::ReportProgress(std::int64_t bytes) {
  DoneSize += bytes;
  // The total comes from the archive: none, or a wrong one, gives no percentages.
  if (!OnProgress || TotalSize <= 0) return;
  const auto percent = static_cast<int>(std::min<std::int64_t>(DoneSize * 100 / TotalSize, INT_MAX));
  OnProgress(*this, CurrentFileName, percent, Continue);
}

bool TBackupFile::AskForDisk(const std::string& disk) {
  bool proceed = true;
  if (OnNeedDisk)
    OnNeedDisk(*this, static_cast<std::uint16_t>(std::strtoul(disk.c_str(), nullptr, 10)), proceed);
  else
    // Nobody to ask: the disk cannot come.
    proceed = Prompts && Prompts->AskForDisk(rtl::Format("Please insert disk %s and click OK to continue.", disk));
  return proceed;
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
