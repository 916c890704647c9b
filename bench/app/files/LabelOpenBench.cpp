// Reading a label file whose document of a megabyte was written in a million
// stored chunks of one byte, against the same document in chunks of 16384
// bytes as the program writes it: the ratio is what the tiny chunks cost on
// top (goal: the million chunks within 3 s). The reference is our own
// writer's file: no library reads these archives.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/BackupFile.h"
#include "app/LabelFile.h"
#include "bench/common/Comparison.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Stream.h"

namespace {

constexpr std::size_t kDocumentSize = 1000000;

std::string BenchFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("label-open-bench-" + name)).string();
}

// Bytes that do not pack, standing for a document with a photograph.
std::vector<std::uint8_t> NoiseDocument() {
  std::vector<std::uint8_t> bytes(kDocumentSize);
  std::uint32_t state = 12345;
  for (std::uint8_t& byte : bytes) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  return bytes;
}

void WriteInt(TStream& stream, std::int32_t value) { rtl::WriteLE<std::int32_t>(stream, value); }

void WriteEntry(TStream& stream, const std::string& name) {
  WriteInt(stream, static_cast<std::int32_t>(name.size()));
  stream.WriteBuffer(name.data(), static_cast<std::int64_t>(name.size()));
  WriteInt(stream, 0);
  stream.WriteBuffer("EC2\0", 4);
}

// The archive of the layout the reader takes apart, its document in stored
// chunks of one byte.
std::string OneByteChunkLabel(const std::vector<std::uint8_t>& document) {
  TMemoryStream archive;
  WriteInt(archive, 0);
  WriteInt(archive, static_cast<std::int32_t>(document.size() + app::SheetSetupRecordSize));
  WriteInt(archive, 0);
  WriteEntry(archive, "sv2.tp");
  const std::vector<std::uint8_t> record(app::SheetSetupRecordSize);
  WriteInt(archive, -static_cast<std::int32_t>(record.size()));
  archive.WriteBuffer(record.data(), static_cast<std::int64_t>(record.size()));
  WriteInt(archive, 0);
  WriteEntry(archive, "sv1.tp");
  for (const std::uint8_t byte : document) {
    WriteInt(archive, -1);
    archive.WriteBuffer(&byte, 1);
  }
  WriteInt(archive, 0);
  WriteInt(archive, 0);
  const std::string fileName = BenchFile("chunks.mqv");
  archive.SaveToFile(fileName);
  return fileName;
}

std::string ProgramsLabel(const std::vector<std::uint8_t>& document) {
  const std::string fileName = BenchFile("written.mqv");
  app::WriteLabelFile(fileName, document, app::TSheetSetupRecord{});
  return fileName;
}

void Open(const std::string& fileName) {
  app::TBackupFile backup;
  if (std::filesystem::file_size(app::ReadLabelFile(backup, fileName).DocumentFile()) != kDocumentSize)
    throw std::runtime_error("not read");
}

void OpenALabelOfAMillionChunks(benchmark::State& state) {
  bench::PinHeapThresholds();
  static const std::vector<std::uint8_t> document = NoiseDocument();
  static const std::string chunks = OneByteChunkLabel(document), written = ProgramsLabel(document);
  bench::TPairTimer timer(state);
  for (auto _ : state) timer.Iteration([] { Open(chunks); }, [] { Open(written); });
  timer.Report("open a 1 MB document in 1000000 chunks vs in 16384-byte chunks",
               {"ReadLabelFile, stored chunks of one byte", "ours: ReadLabelFile, the program's own chunks"});
}

}  // namespace

BENCHMARK(OpenALabelOfAMillionChunks)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(3.0));
