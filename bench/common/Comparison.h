#pragma once
// The one way every benchmark program reports how our code compares with a
// reference library: each compared case becomes a row of the table printed
// after the runs, with our time, the reference's, their ratio (ours /
// reference, so below 1 means we are faster), the reference's name and
// version, and the settings of both sides. The rows are also shown as
// counters of their Google Benchmark case.

#include <benchmark/benchmark.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// What our side and the reference side do in a compared case.
struct TSides {
  std::string Ours;
  std::string Reference;  // the library and its version first
  // The reference is no peer doing the same work but the least any method
  // like ours could cost (a prerendered picture drawn once, say): the
  // ratio tells how far ours lies above that floor.
  bool Floor = false;
};

// How far each side's result lies from an exact one, in cases where the
// two sides may differ in quality. Their times only compare when ours is
// at least as exact (see SameQuality); otherwise the table says that the
// ratio is no result.
struct TErrors {
  double Ours = 0;
  double Reference = 0;
  std::string Measure;  // what the numbers are, e.g. "rms levels of 255 from exact coverage"
  // Ours no more than 10 % (and 0.02) above the reference's error.
  bool SameQuality() const { return Ours <= Reference * 1.1 + 0.02; }
};

// Wall-clock seconds that f takes.
template <class F>
double Seconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times both sides of a case in the same iteration, so that a busy machine
// slows them alike. Each side is measured once per iteration; the row takes
// the median of each side.
class TPairTimer {
public:
  explicit TPairTimer(benchmark::State& state) : State(state) {}

  // The sides take turns at going first, so that neither always finds the
  // caches as the other left them.
  template <class Ours, class Reference>
  void Iteration(Ours&& ours, Reference&& reference) {
    if (OurTimes.size() % 2 == 0) {
      const double ourSeconds = Seconds(ours);
      Add(ourSeconds, Seconds(reference));
    } else {
      const double referenceSeconds = Seconds(reference);
      Add(Seconds(ours), referenceSeconds);
    }
  }
  // The times of one iteration measured by the caller, for cases whose
  // sides must run in another order.
  void Add(double ourSeconds, double referenceSeconds) {
    OurTimes.push_back(ourSeconds);
    ReferenceTimes.push_back(referenceSeconds);
    State.SetIterationTime(ourSeconds);
  }

  // Reports the medians as the row of caseName, per unit when one
  // iteration handles several (a batch of shapes, say).
  void Report(const std::string& caseName, const TSides& sides, double unitsPerIteration = 1);
  // The same, with the errors of both sides printed beside the ratio.
  void Report(const std::string& caseName, const TSides& sides, const TErrors& errors, double unitsPerIteration = 1);

private:
  void ReportRow(const std::string& caseName, const TSides& sides, const std::optional<TErrors>& errors,
                 double unitsPerIteration);

  benchmark::State& State;
  std::vector<double> OurTimes, ReferenceTimes;
};

// Adds a row measured some other way (sizes, say) in the given unit. A row
// of the same case replaces the earlier one: Google Benchmark runs each
// case more than once while it settles the iteration count.
void AddRow(benchmark::State& state, const std::string& caseName, double ours, double reference,
            const std::string& unit, const TSides& sides, const std::optional<TErrors>& errors = std::nullopt);

// Holds the C library's heap trimming off and serves blocks up to 32 MiB
// from the heap, so that repeated runs of either side reuse memory instead
// of mapping fresh pages: large outputs then cost both sides alike. Call
// before the first case.
void PinHeapThresholds();

// Prints the table of every row so far, in the order the cases first ran.
// A row whose errors show ours less exact than the reference gets no
// verdict: its ratio is marked as comparing unequal work.
void PrintTable();

// The least time a case measures: the seconds given, or a token time when
// LABEL_BENCH_SMOKE is set and the benchmarks run only to show they work
// (a case's own minimum time overrides the command line's).
double MinTime(double seconds);

}  // namespace bench
