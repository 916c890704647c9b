// Opening and saving a container of a million streams against the same work
// on half of them: a ratio near 2 says the cost grows linearly with the
// number of streams (goal: a million within 3 s). The reference is our own
// smaller container: no library reads these files.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/Comparison.h"
#include "platform/rtl/Stream.h"
#include "xml/storage/Storage.h"

namespace {

constexpr int kStreams = 1000000;

void PutLE(std::string& bytes, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
}

// A saved container of count streams with short names, most of them empty,
// written field by field from the file layout.
std::string ContainerFile(int count) {
  const std::string fileName =
      (std::filesystem::temp_directory_path() / ("storage-scale-bench-" + std::to_string(count) + ".stor")).string();
  std::vector<std::string> names;
  std::int64_t position = 73;
  for (int i = 0; i < count; ++i) {
    names.push_back(std::string("s").append(std::to_string(i)));
    position += 20 + static_cast<std::int64_t>(names.back().size());
  }
  std::string bytes = "STOR\x01\x01";
  PutLE(bytes, 69, 8);
  bytes += "\r\n" + std::string(51, ' ') + "\r\n";
  PutLE(bytes, static_cast<std::uint64_t>(count), 4);
  std::string data;
  for (int i = 0; i < count; ++i) {
    const std::size_t size = i % 7 == 0 ? 3 : 0;
    PutLE(bytes, static_cast<std::uint64_t>(position), 8);
    PutLE(bytes, size, 8);
    PutLE(bytes, names[static_cast<std::size_t>(i)].size(), 4);
    bytes += names[static_cast<std::size_t>(i)];
    data.append(size, 'x');
    position += static_cast<std::int64_t>(size);
  }
  TMemoryStream file;
  file.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  file.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  file.SaveToFile(fileName);
  return fileName;
}

double OpenAndSave(const std::string& fileName) {
  const std::string copy = fileName + ".copy";
  const double seconds = bench::Seconds([&] {
    TsdStorage storage;
    storage.OpenFile(fileName);
    storage.SaveToFile(copy);
  });
  std::filesystem::remove(copy);
  return seconds;
}

void OpenAndSaveAMillionStreams(benchmark::State& state) {
  bench::PinHeapThresholds();
  static const std::string all = ContainerFile(kStreams), half = ContainerFile(kStreams / 2);
  bench::TPairTimer timer(state);
  for (auto _ : state) timer.Iteration([] { OpenAndSave(all); }, [] { OpenAndSave(half); });
  timer.Report("open and save 1000000 streams vs 500000",
               {"OpenFile and SaveToFile, 1000000 streams", "ours: the same with 500000 streams"});
}

}  // namespace

BENCHMARK(OpenAndSaveAMillionStreams)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(5.0));
