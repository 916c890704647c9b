// Trimming under load: 1000 picture resources, 10 threads using them at
// random, the cache thread trimming as it does in the program. Reports the
// cache thread's share of the process's CPU time (goal: under 1 %), read
// from the per-thread CPU clock. There is no reference library for this:
// the figure is the share itself.

#include <benchmark/benchmark.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <random>
#include <thread>
#include <vector>

#include "bench/common/Comparison.h"
#include "document/resources/BitmapResource.h"
#include "document/resources/ResourceThread.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/startup/SubsystemStartUp.h"

namespace {

constexpr int kResources = 1000;
constexpr int kReaders = 10;
constexpr int kSide = 32;

std::vector<TResourcePtr<TdocBitmapResource>>& Resources() {
  static std::vector<TResourcePtr<TdocBitmapResource>> resources = [] {
    imaging::StartUpSubsystem();
    std::vector<TResourcePtr<TdocBitmapResource>> made;
    TBitmap32 picture;
    picture.SetSize(kSide, kSide);
    for (int i = 0; i < kResources; ++i) {
      picture.Clear(0xFF000000u | static_cast<std::uint32_t>(i));
      made.push_back(MakeResource<TdocBitmapResource>());
      made.back()->SetBitmap(&picture);
    }
    return made;
  }();
  return resources;
}

double CpuSeconds(clockid_t clock) {
  timespec time{};
  clock_gettime(clock, &time);
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

double ThreadCpuSeconds(std::thread::native_handle_type thread) {
  clockid_t clock{};
  return pthread_getcpuclockid(thread, &clock) == 0 ? CpuSeconds(clock) : 0.0;
}

void Read(std::atomic<bool>& stop, std::atomic<long>& uses, unsigned seed) {
  std::mt19937 random(seed);
  auto& resources = Resources();
  while (!stop) {
    TdocBitmapResource& resource = *resources[random() % kResources];
    TdocResourceAccess access(resource);
    if (const TBitmap32* bitmap = resource.GetBitmap()) benchmark::DoNotOptimize(bitmap->GetPixel(1, 1));
    ++uses;
  }
}

void BM_TrimUnderLoad(benchmark::State& state) {
  Resources();
  std::atomic<bool> stop{false};
  std::atomic<long> uses{0};
  const double processStart = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  TdocResourceThread cacheThread(document::ResourceCache());
  std::vector<std::thread> readers;
  for (unsigned i = 0; i < kReaders; ++i) readers.emplace_back(Read, std::ref(stop), std::ref(uses), i + 1);
  for (auto _ : state) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  stop = true;
  for (auto& reader : readers) reader.join();
  const double cacheCpu = ThreadCpuSeconds(cacheThread.GetNativeHandle());
  const double processCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart;
  state.counters["cache_cpu_ms"] = cacheCpu * 1e3;
  state.counters["process_cpu_ms"] = processCpu * 1e3;
  state.counters["cache_share_pct"] = processCpu > 0 ? 100.0 * cacheCpu / processCpu : 0.0;
  state.counters["trims"] = cacheThread.GetPurgeCount();
  state.counters["uses_per_s"] = benchmark::Counter(static_cast<double>(uses), benchmark::Counter::kIsRate);
}

// Several trims need more than the 2 s between them.
BENCHMARK(BM_TrimUnderLoad)->UseRealTime()->MinTime(bench::MinTime(5.0))->Unit(benchmark::kMillisecond);

}  // namespace
