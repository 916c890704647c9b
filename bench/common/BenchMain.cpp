// The main of every benchmark program: runs the cases, then prints the
// comparison table.

#include <benchmark/benchmark.h>

#include "bench/common/Comparison.h"

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  bench::PrintTable();
  return 0;
}
