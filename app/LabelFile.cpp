#include "app/LabelFile.h"

#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

#include "app/LabelArchive.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Format.h"
#include "xml/storage/StorageAtomicSave.h"

namespace app {

namespace {

namespace fs = std::filesystem;

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

// A folder of this program's own, readable by this user only, removed with
// all it holds when it goes out of scope.
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

private:
  static constexpr std::string_view ProgramTag = "mirqoven";
  fs::path Path;
};

// The members unpacked into the private folder, each under its own fixed
// name whatever the archive calls it; other entries are skipped.
class TMemberFiles {
public:
  explicit TMemberFiles(const TPrivateFolder& folder) : Folder(folder) {}

  TStream* Open(const std::string& name) {
    for (std::string_view member : {DocumentMemberName, SheetSetupMemberName}) {
      if (::strcasecmp(name.c_str(), std::string(member).c_str()) != 0) continue;
      // A later entry of the same name replaces the earlier one.
      auto& file = Files[member];
      file = std::make_unique<TFileStream>(Folder.File(member).string(), fmCreate);
      return file.get();
    }
    return nullptr;
  }

  std::vector<std::uint8_t> Read(std::string_view member) {
    const auto found = Files.find(member);
    if (found == Files.end()) throw EArchiveError(rtl::Format("The file has no member \"%s\"", member));
    found->second.reset();
    TMemoryStream bytes;
    bytes.LoadFromFile(Folder.File(member).string());
    return bytes.Bytes();
  }

private:
  const TPrivateFolder& Folder;
  std::map<std::string_view, std::unique_ptr<TFileStream>> Files;
};

TLabelFileContent RestoreMembers(TStream& archive) {
  const TPrivateFolder folder;
  TMemberFiles members(folder);
  TBackupFile().Restore(archive, [&members](const std::string& name) { return members.Open(name); });
  TLabelFileContent content;
  content.SheetSetup = DecodeSheetSetupRecord(members.Read(SheetSetupMemberName));
  content.Document = members.Read(DocumentMemberName);
  return content;
}

// Now in the packed date-and-time form of the platform that made the format.
std::int32_t PackedFileDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  const auto year = static_cast<std::uint32_t>(std::max(local.tm_year - 80, 0));
  const std::uint32_t packed = year << 25 | std::uint32_t(local.tm_mon + 1) << 21 | std::uint32_t(local.tm_mday) << 16 |
                               std::uint32_t(local.tm_hour) << 11 | std::uint32_t(local.tm_min) << 5 |
                               std::uint32_t(local.tm_sec / 2);
  return static_cast<std::int32_t>(packed);
}

void BackupMembers(TStream& archive, std::span<const std::uint8_t> document, const TSheetSetupRecord& sheet) {
  const auto record = EncodeSheetSetupRecord(sheet);
  const TArchiveMember members[] = {{std::string(DocumentMemberName), document},
                                    {std::string(SheetSetupMemberName), record}};
  TBackupFile::Backup(archive, std::string(ArchiveTitle), members, PackedFileDate());
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

TLabelFileContent ReadLabelFile(const std::string& fileName) {
  // A pipe or device in the file's place would block or never end.
  std::error_code error;
  if (!fs::is_regular_file(fileName, error))
    throw EFOpenError(rtl::Format("Cannot open file \"%s\". %s", fileName, "Not a regular file"));
  TFileStream archive(fileName, fmOpenRead);
  return RestoreMembers(archive);
}

TLabelFileContent ReadLabelArchive(std::span<const std::uint8_t> archive) {
  TMemoryStream stream;
  stream.WriteBuffer(archive.data(), static_cast<std::int64_t>(archive.size()));
  stream.SetPosition(0);
  return RestoreMembers(stream);
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
