#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in an
# optimised build and under AddressSanitizer + UndefinedBehaviorSanitizer;
# the code with a thread is tested once more under ThreadSanitizer.
# Benchmarks and fuzz targets get a short smoke run.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh

jobs=$(nproc)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1
export QT_QPA_PLATFORM=offscreen
# The end-to-end print tests print to this CUPS queue; when it cannot be
# started they still run, and fail, rather than stopping the other tests.
LABEL_PRINT_QUEUE=$(scripts/start-print-queue.sh LabelPDF || echo LabelPDF)
export LABEL_PRINT_QUEUE

build_and_test() {
  local dir=$1
  shift
  cmake -G Ninja -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

# The instrumented builds keep line tables for the sanitizers' reports but
# skip full debug information and the costlier optimisations: they compile in
# about half the time and their reports read the same.
checked=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
         "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")

build_and_test build/release -DCMAKE_BUILD_TYPE=Release -DLABEL_BENCH=ON
build_and_test build/sanitize "${checked[@]}" -DLABEL_SANITIZE=ON
build_and_test build/tsan "${checked[@]}" -DLABEL_TSAN=ON

scripts/run-benchmarks.sh build/release smoke

CC=clang CXX=clang++ cmake -G Ninja -S . -B build/fuzz "${checked[@]}" -DLABEL_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$jobs"
scripts/run-fuzzers.sh build/fuzz 10
scripts/run-monkeys.sh build/sanitize 60
