#include "bench/common/Comparison.h"

#include <algorithm>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>

namespace bench {
namespace {

struct TRow {
  std::string Case;
  double Ours, Reference;
  std::string Unit;
  TSides Sides;
};

std::vector<TRow>& Rows() {
  static std::vector<TRow> rows;
  return rows;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

}  // namespace

void TPairTimer::Report(const std::string& caseName, const TSides& sides, double unitsPerIteration) {
  const double ours = Median(OurTimes) / unitsPerIteration, reference = Median(ReferenceTimes) / unitsPerIteration;
  const bool small = ours < 1e-3 && reference < 1e-3;
  const double scale = small ? 1e6 : 1e3;
  AddRow(State, caseName, ours * scale, reference * scale, small ? "us" : "ms", sides);
}

void AddRow(benchmark::State& state, const std::string& caseName, double ours, double reference,
            const std::string& unit, const TSides& sides) {
  state.counters["ours_" + unit] = ours;
  state.counters["ref_" + unit] = reference;
  state.counters["ratio"] = ours / reference;
  TRow row{caseName, ours, reference, unit, sides};
  auto& rows = Rows();
  const auto same = std::find_if(rows.begin(), rows.end(), [&](const TRow& r) { return r.Case == caseName; });
  if (same != rows.end()) *same = std::move(row);
  else rows.push_back(std::move(row));
}

double MinTime(double seconds) { return std::getenv("LABEL_BENCH_SMOKE") ? 0.01 : seconds; }

void PinHeapThresholds() {
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
}

void PrintTable() {
  if (Rows().empty()) return;
  std::printf("\nratio = ours / reference (below 1: ours is faster or smaller); medians of the iterations\n");
  std::printf("%-56s %12s %12s %7s\n", "case", "ours", "reference", "ratio");
  for (const TRow& row : Rows()) {
    std::printf("%-56s %9.3f %-2s %9.3f %-2s %7.3f\n", row.Case.c_str(), row.Ours, row.Unit.c_str(), row.Reference,
                row.Unit.c_str(), row.Ours / row.Reference);
    std::printf("    ours: %s\n    reference: %s\n", row.Sides.Ours.c_str(), row.Sides.Reference.c_str());
  }
  std::fflush(stdout);
}

}  // namespace bench
