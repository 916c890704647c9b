// Opening and saving a container of a million streams against the same work
// on half of them: a ratio near 2 says the cost grows linearly with the
// number of streams (goal: a million within 3 s). The reference is our own
// smaller container: no library reads these files.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "bench/common/Comparison.h"
#include "platform/rtl/Stream.h"
#include "xml/storage/Storage.h"

namespace {

constexpr int kStreams = 1000000;

// A container of count streams with short names, most of them empty.
std::string ContainerFile(int count) {
  const std::string fileName =
      (std::filesystem::temp_directory_path() / ("storage-scale-bench-" + std::to_string(count) + ".stor")).string();
  TsdStorage storage;
  TMemoryStream tiny, empty;
  tiny.WriteBuffer("xyz", 3);
  for (int i = 0; i < count; ++i) storage.WriteStream(std::string("s").append(std::to_string(i)), i % 7 == 0 ? tiny : empty);
  storage.SaveToFile(fileName);
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
