#include "app/LabelFile.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

#include "app/BackupFile.h"
#include "app/UiTexts.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Format.h"
#include "xml/storage/StorageAtomicSave.h"

namespace app {

namespace fs = std::filesystem;

// A folder of this program's own, readable by this user only, removed with
// all it holds when it goes.
class TPrivateFolder {
public:
  TPrivateFolder() {
    std::string pattern = (fs::temp_directory_path() / (std::string(ProgramTag) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw EArchiveError(rtl::Format("Cannot create a temporary folder. %s", std::strerror(errno)));
    Path = pattern;
  }
  ~TPrivateFolder() {
    std::error_code ignored;
    fs::remove_all(Path, ignored);
  }
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;

  fs::path File(std::string_view name) const { return Path / name; }
  const fs::path& Folder() const { return Path; }

private:
  static constexpr std::string_view ProgramTag = "mirqoven";
  fs::path Path;
};

namespace {

constexpr std::string_view ArchiveTitle = "Mirqoven";

// Offsets of the sheet-setup record.
constexpr std::size_t TemplateOffset = 0;
constexpr std::size_t LengthsOffset = 4;
constexpr std::size_t UnitOffset = 36;
constexpr std::size_t OrientationOffset = 40;

// The eight lengths in the record's order.
constexpr float TSheetSetupRecord::*RecordLengths[] = {
    &TSheetSetupRecord::SheetWidth,   &TSheetSetupRecord::SheetHeight,    &TSheetSetupRecord::LabelWidth,
    &TSheetSetupRecord::LabelHeight,  &TSheetSetupRecord::OuterMarginX,   &TSheetSetupRecord::OuterMarginY,
    &TSheetSetupRecord::BetweenMarginX, &TSheetSetupRecord::BetweenMarginY,
};

// The member's file in the folder; the archive may spell its name in
// another case.
fs::path FindMember(const TPrivateFolder& folder, std::string_view member) {
  const fs::path exact = folder.File(member);
  std::error_code error;
  if (fs::is_regular_file(fs::symlink_status(exact, error))) return exact;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder.Folder(), error))
    if (entry.is_regular_file(error) &&
        ::strcasecmp(entry.path().filename().c_str(), std::string(member).c_str()) == 0)
      return entry.path();
  throw EArchiveError(rtl::Format("The file has no member \"%s\"", member));
}

// The most a member may hold: what its kind holds; nothing for any other.
std::int64_t MemberBound(const std::string& name) {
  const std::size_t slash = name.find_last_of("\\/:");
  const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
  if (::strcasecmp(file.c_str(), std::string(DocumentMemberName).c_str()) == 0) return MaxLabelDocumentSize;
  if (::strcasecmp(file.c_str(), std::string(SheetSetupMemberName).c_str()) == 0) return SheetSetupRecordSize;
  return 0;
}

// The component restores the archive into a private folder, only the two
// members, each within what its kind may hold, and all it writes within what
// both may: its own events and bounds are as they were afterwards.
TLabelFileContent RestoreMembers(TBackupFile& backup, const std::string& archiveName) {
  auto folder = std::make_shared<TPrivateFolder>();
  struct TOwnEvent {
    TBackupFile& Backup;
    TBackupFile::TRestoreFileEvent Saved;
    std::int64_t SavedBound;
    std::function<std::int64_t(const std::string&)> SavedFileBound;
    ~TOwnEvent() {
      Backup.OnRestoreFile = std::move(Saved);
      Backup.MaxRestoredSize = SavedBound;
      Backup.MaxFileSize = std::move(SavedFileBound);
    }
  } ownEvent{backup, std::move(backup.OnRestoreFile), backup.MaxRestoredSize, std::move(backup.MaxFileSize)};
  backup.MaxRestoredSize = MaxLabelDocumentSize + static_cast<std::int64_t>(SheetSetupRecordSize);
  backup.MaxFileSize = &MemberBound;
  backup.OnRestoreFile = [](TBackupFile&, const std::string& name, std::int32_t, bool& restore) {
    restore = restore && MemberBound(name) > 0;
  };
  backup.Restore(archiveName, folder->Folder().string());
  TMemoryStream record;
  record.LoadFromFile(FindMember(*folder, SheetSetupMemberName).string());
  const TSheetSetupRecord sheet = DecodeSheetSetupRecord(record.Bytes());
  std::string document = FindMember(*folder, DocumentMemberName).string();
  return TLabelFileContent(std::move(folder), std::move(document), sheet);
}

// In the interface's language; the English text stands in for a language
// file without the row, or with one whose directives do not fit.
[[noreturn]] void RefuseLabelTooLarge() {
  const std::int64_t megabytes = MaxLabelDocumentSize >> 20;
  std::string text = WordedUiText(UiTextLabelTooLargeToSave, megabytes);
  if (text.empty())
    text = rtl::Format(std::string(BuiltInUiText(UiTextLabelTooLargeToSave, LanguageEnglish)), megabytes);
  throw ELabelTooLarge(text);
}

void BackupMembers(TStream& archive, std::span<const std::uint8_t> document, const TSheetSetupRecord& sheet) {
  const auto record = EncodeSheetSetupRecord(sheet);
  const TArchiveMember members[] = {{std::string(DocumentMemberName), document},
                                    {std::string(SheetSetupMemberName), record}};
  TBackupFile::Backup(archive, std::string(ArchiveTitle), members, PackedFileDate(std::time(nullptr)));
}

}  // namespace

std::array<std::uint8_t, SheetSetupRecordSize> EncodeSheetSetupRecord(const TSheetSetupRecord& record) {
  std::array<std::uint8_t, SheetSetupRecordSize> bytes{};
  rtl::ToLittleEndian(record.TemplateIndex, bytes.data() + TemplateOffset);
  std::size_t offset = LengthsOffset;
  for (const auto length : RecordLengths) {
    rtl::ToLittleEndian(record.*length, bytes.data() + offset);
    offset += 4;
  }
  rtl::ToLittleEndian(record.Unit, bytes.data() + UnitOffset);
  rtl::ToLittleEndian(record.Orientation, bytes.data() + OrientationOffset);
  return bytes;
}

TSheetSetupRecord DecodeSheetSetupRecord(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != SheetSetupRecordSize) throw EArchiveError("Damaged sheet setup record");
  TSheetSetupRecord record;
  record.TemplateIndex = rtl::FromLittleEndian<std::int32_t>(bytes.data() + TemplateOffset);
  std::size_t offset = LengthsOffset;
  for (const auto length : RecordLengths) {
    const auto value = rtl::FromLittleEndian<float>(bytes.data() + offset);
    // Written from numbers the sheet edits hold: anything else is damage.
    if (!(value >= 0.0f && value <= MaxSheetLength)) throw EArchiveError("Damaged sheet setup record");
    record.*length = value;
    offset += 4;
  }
  record.Unit = rtl::FromLittleEndian<std::int32_t>(bytes.data() + UnitOffset);
  record.Orientation = rtl::FromLittleEndian<std::int32_t>(bytes.data() + OrientationOffset);
  return record;
}

TLabelFileContent ReadLabelFile(TBackupFile& backup, const std::string& fileName) {
  return RestoreMembers(backup, fileName);
}

TLabelFileContent ReadLabelArchive(std::span<const std::uint8_t> archive) {
  TMemoryStream stream;
  stream.WriteBuffer(archive.data(), static_cast<std::int64_t>(archive.size()));
  stream.SetPosition(0);
  TBackupFile backup;
  backup.Stream = &stream;
  backup.OnError = [](TBackupFile&, int, const std::string& text) { throw EArchiveError(text); };
  return RestoreMembers(backup, TBackupFile::StreamName);
}

std::int64_t TLabelDocumentStream::Write(const void* buffer, std::int64_t count) {
  if (count > MaxLabelDocumentSize - GetPosition()) RefuseLabelTooLarge();
  return TMemoryStream::Write(buffer, count);
}

void TLabelDocumentStream::SetSize(std::int64_t size) {
  if (size > MaxLabelDocumentSize) RefuseLabelTooLarge();
  TMemoryStream::SetSize(size);
}

void WriteLabelFile(const std::string& fileName, std::span<const std::uint8_t> document,
                    const TSheetSetupRecord& sheet) {
  xml::SaveFileAtomically(fileName, [&](TStream& file) { BackupMembers(file, document, sheet); });
}

std::vector<std::uint8_t> BuildLabelArchive(std::span<const std::uint8_t> document, const TSheetSetupRecord& sheet) {
  TMemoryStream stream;
  BackupMembers(stream, document, sheet);
  return stream.Bytes();
}

}  // namespace app
