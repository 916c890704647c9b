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
  std::optional<TErrors> Errors;
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

void PrintErrors(const TErrors& errors) {
  std::printf("    error (%s): ours %.2f, reference %.2f: %s\n", errors.Measure.c_str(), errors.Ours, errors.Reference,
              errors.SameQuality() ? "ours at least as exact (within 10 %), the ratio stands"
                                   : "OURS LESS EXACT, the ratio compares unequal work and is no result");
}

}  // namespace

void TPairTimer::Report(const std::string& caseName, const TSides& sides, double unitsPerIteration) {
  ReportRow(caseName, sides, std::nullopt, unitsPerIteration);
}

void TPairTimer::Report(const std::string& caseName, const TSides& sides, const TErrors& errors,
                        double unitsPerIteration) {
  ReportRow(caseName, sides, errors, unitsPerIteration);
}

void TPairTimer::ReportRow(const std::string& caseName, const TSides& sides, const std::optional<TErrors>& errors,
                           double unitsPerIteration) {
  const double ours = Median(OurTimes) / unitsPerIteration, reference = Median(ReferenceTimes) / unitsPerIteration;
  const bool small = ours < 1e-3 && reference < 1e-3;
  const double scale = small ? 1e6 : 1e3;
  AddRow(State, caseName, ours * scale, reference * scale, small ? "us" : "ms", sides, errors);
}

void AddRow(benchmark::State& state, const std::string& caseName, double ours, double reference,
            const std::string& unit, const TSides& sides, const std::optional<TErrors>& errors) {
  state.counters["ours_" + unit] = ours;
  state.counters["ref_" + unit] = reference;
  state.counters["ratio"] = ours / reference;
  if (errors) {
    state.counters["ours_error"] = errors->Ours;
    state.counters["ref_error"] = errors->Reference;
  }
  TRow row{caseName, ours, reference, unit, sides, errors};
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
  std::printf("\nratio = ours / reference (below 1: ours is faster or smaller); medians of the iterations\n"
              "a floor is no peer but the least a method like ours could cost; a row with errors compares\n"
              "only where ours is at most 10 %% less exact than the reference (marked *: unequal work)\n");
  std::printf("%-56s %12s %12s %8s\n", "case", "ours", "ref./floor", "ratio");
  for (const TRow& row : Rows()) {
    const bool unequal = row.Errors && !row.Errors->SameQuality();
    std::printf("%-56s %9.3f %-2s %9.3f %-2s %7.3f%s\n", row.Case.c_str(), row.Ours, row.Unit.c_str(), row.Reference,
                row.Unit.c_str(), row.Ours / row.Reference, unequal ? "*" : "");
    std::printf("    ours: %s\n    %s: %s\n", row.Sides.Ours.c_str(),
                row.Sides.Floor ? "floor (of our own method, not a peer)" : "reference", row.Sides.Reference.c_str());
    if (row.Errors) PrintErrors(*row.Errors);
  }
  std::fflush(stdout);
}

}  // namespace bench
