#pragma once
// The label document file "*.mqv": an archive (BackupFile.h) of two
// members, "sv1.tp", the document engine's own file of the label, and
// "sv2.tp", the 100-byte sheet-setup record. Opening unpacks the members
// into a private temporary folder, removed once the label no longer needs
// it, and checks everything before the caller touches the label; saving
// replaces the file only once the new one is complete.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/formats/PictureBudget.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"

namespace app {

class TBackupFile;
class TPrivateFolder;

constexpr std::string_view LabelFileExtension = "mqv";
constexpr std::string_view DocumentMemberName = "sv1.tp";
constexpr std::string_view SheetSetupMemberName = "sv2.tp";
constexpr std::size_t SheetSetupRecordSize = 100;
// The most the document member may hold. A label keeps its pictures' files
// in its pages' XML as Base64 text, so the picture bytes a label's budget
// admits take a third more there; the rest of the document (the shapes'
// XML, thumbnails, embedded glyphs) has room of its own that a label's texts
// and shapes never come near. Opening refuses a larger member, so a few
// kilobytes of zlib streams can never make the program read gigabytes;
// saving refuses to write one, so every label saved opens again.
constexpr std::int64_t MaxLabelRestOfDocument = std::int64_t{64} << 20;
constexpr std::int64_t MaxLabelDocumentSize =
    (imaging::MaxLabelPictureBytes + 2) / 3 * 4 + MaxLabelRestOfDocument;

// A label whose document is past MaxLabelDocumentSize, refused before
// anything is written; the message is in the interface's language.
RTL_DECLARE_EXCEPTION(ELabelTooLarge, Exception);

// The sheet-setup record: lengths in the unit the record names, as the sheet
// edits show them.
struct TSheetSetupRecord {
  static constexpr std::int32_t UnitMillimetres = 1;
  static constexpr std::int32_t UnitInches = 2;

  // Position in the template list: 0 the free A4 sheet, 1..9 the templates.
  std::int32_t TemplateIndex = 0;
  float SheetWidth = 210;
  float SheetHeight = 297;
  float LabelWidth = 210;
  float LabelHeight = 297;
  float OuterMarginX = 0;    // left and right
  float OuterMarginY = 0;    // top and bottom
  float BetweenMarginX = 0;  // between columns
  float BetweenMarginY = 0;  // between rows
  // As stored: below 2 millimetres, 2 inches, above 2 no unit named.
  std::int32_t Unit = UnitMillimetres;
  // As stored: 1 the orientation box is ticked, anything else not.
  std::int32_t Orientation = 0;
};

std::array<std::uint8_t, SheetSetupRecordSize> EncodeSheetSetupRecord(const TSheetSetupRecord& record);
// Raises EArchiveError for a record of another size or with a length that
// is not a number from 0 to MaxSheetLength.
TSheetSetupRecord DecodeSheetSetupRecord(std::span<const std::uint8_t> bytes);
constexpr float MaxSheetLength = 100000.0f;

// A label file opened: its sheet setup, and its document as the member's
// file in a private folder of this program's own, which goes with the last
// copy of this object. A document opened from that file keeps what it has
// opened of it.
class TLabelFileContent {
public:
  TLabelFileContent(std::shared_ptr<TPrivateFolder> folder, std::string documentFile, TSheetSetupRecord sheet)
      : SheetSetup(sheet), Folder(std::move(folder)), Document(std::move(documentFile)) {}

  TSheetSetupRecord SheetSetup;
  const std::string& DocumentFile() const { return Document; }

private:
  std::shared_ptr<TPrivateFolder> Folder;
  std::string Document;
};

// Reads a label document file with the archive component, which reports a
// zlib failure its own way (OnError or its error box) and goes on; a
// member past what its kind may hold (the sheet setup its record, the
// document MaxLabelDocumentSize) is refused whatever the component's own
// bound. Raises EArchiveError or the platform's file errors with the reason;
// nothing outside a private temporary folder is written, and only the two
// members are.
TLabelFileContent ReadLabelFile(TBackupFile& backup, const std::string& fileName);
// The same from the archive's bytes; every failure raises.
TLabelFileContent ReadLabelArchive(std::span<const std::uint8_t> archive);

// The label's document on its way into a label file: it refuses to grow past
// MaxLabelDocumentSize, raising ELabelTooLarge, so a document saved into it
// whole is one a label file can hold.
class TLabelDocumentStream final : public TMemoryStream {
public:
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  void SetSize(std::int64_t size) override;
};

// Writes a label document file: the new file is complete on disk before it
// replaces the old one, so a failure leaves the old file as it was.
void WriteLabelFile(const std::string& fileName, std::span<const std::uint8_t> document, const TSheetSetupRecord& sheet);
// The archive's bytes.
std::vector<std::uint8_t> BuildLabelArchive(std::span<const std::uint8_t> document, const TSheetSetupRecord& sheet);

}  // namespace app
