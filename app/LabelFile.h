#pragma once
// The label document file "*.mqv": an archive (BackupFile.h) of two
// members, "sv1.tp", the document engine's own file of the label, and
// "sv2.tp", the 100-byte sheet-setup record. Opening unpacks the members
// into a private temporary folder that is removed afterwards and checks
// everything before the caller touches the label; saving replaces the file
// only once the new one is complete.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace app {

class TBackupFile;

constexpr std::string_view LabelFileExtension = "mqv";
constexpr std::string_view DocumentMemberName = "sv1.tp";
constexpr std::string_view SheetSetupMemberName = "sv2.tp";
constexpr std::size_t SheetSetupRecordSize = 100;
// The most the members of a label file may unpack to together. A label's
// document is its shapes' XML and its pictures' files: a few megabytes, a
// few tens with large photographs. Past this a few kilobytes of zlib
// streams could make the program read, parse and lay out hundreds of
// megabytes of text.
constexpr std::int64_t MaxLabelFileData = std::int64_t{64} << 20;

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

struct TLabelFileContent {
  std::vector<std::uint8_t> Document;  // the "STOR" container of the label
  TSheetSetupRecord SheetSetup;
};

// Reads a label document file with the archive component, which reports a
// zlib failure its own way (OnError or its error box) and goes on; members
// past MaxLabelFileData are refused whatever the component's own bound. Raises
// EArchiveError or the platform's file errors with the reason; nothing
// outside a private temporary folder is written, only the two members are,
// and that folder is gone when this returns.
TLabelFileContent ReadLabelFile(TBackupFile& backup, const std::string& fileName);
// The same from the archive's bytes; every failure raises.
TLabelFileContent ReadLabelArchive(std::span<const std::uint8_t> archive);

// Writes a label document file: the new file is complete on disk before it
// replaces the old one, so a failure leaves the old file as it was.
void WriteLabelFile(const std::string& fileName, std::span<const std::uint8_t> document, const TSheetSetupRecord& sheet);
// The archive's bytes.
std::vector<std::uint8_t> BuildLabelArchive(std::span<const std::uint8_t> document, const TSheetSetupRecord& sheet);

}  // namespace app
