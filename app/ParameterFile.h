#pragma once
// The parameter file keeps the language index and the chosen printer from one
// run to the next: one record of 120 bytes, little-endian.
//
//   offset  size  field
//   0       4     signature: the byte 3, then "MQV" (written, not tested)
//   4       4     language index, signed 32-bit: 1 French, 2 English
//   8       101   printer name: a length byte 0..100, then 100 bytes of
//                 Windows-1252 text, unused bytes zero
//   109     11    zero

#include <array>
#include <cstdint>
#include <span>
#include <string>

constexpr std::size_t ParameterRecordSize = 120;
constexpr std::size_t MaxPrinterNameLength = 100;

struct TParameterRecord {
  std::int32_t LanguageIndex = 1;
  std::string PrinterName;  // UTF-8
};

enum class TParameterFileState {
  Missing,     // no file: the defaults
  Read,        // every field read
  Damaged,     // wrong size or a field out of range: such fields got their defaults
  Unreadable,  // the file exists but cannot be read: the defaults, Error says why
};

struct TParameterFileContent {
  TParameterRecord Record;
  TParameterFileState State = TParameterFileState::Missing;
  std::string Error;
};

// The record as stored; the printer name is cut to 100 characters, and
// characters Windows-1252 lacks become "?".
std::array<std::uint8_t, ParameterRecordSize> EncodeParameterRecord(const TParameterRecord& record);
// Reads the fields one by one: a language index other than 1 or 2 becomes 1,
// a name length above 100 an empty name; bytes of another size the defaults.
TParameterFileContent DecodeParameterRecord(std::span<const std::uint8_t> bytes);

// Opens the file for reading only; never raises.
TParameterFileContent ReadParameterFile(const std::string& fileName);
// Creates the folder when needed and replaces the file atomically: on any
// failure the old file stays as it was and the stream error is raised.
void WriteParameterFile(const std::string& fileName, const TParameterRecord& record);
