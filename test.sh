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

# configure <dir> <cmake arguments...>, then build <dir> [targets...]
configure() {
  local dir=$1
  shift
  cmake -G Ninja -S . -B "$dir" "$@" >/dev/null
}
build() {
  local dir=$1
  shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake --build "$dir" -j "$jobs" "${targets[@]}"
}
run_tests() {
  ctest --test-dir "$1" --output-on-failure -j "$jobs"
}

# The instrumented builds keep line tables for the sanitizers' reports but
# skip full debug information and the costlier optimisations: they compile in
# about half the time and their reports read the same.
checked=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
         "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")

configure build/release -DCMAKE_BUILD_TYPE=Release -DLABEL_BENCH=ON
build build/release
run_tests build/release
scripts/run-benchmarks.sh build/release smoke

# A plain configure takes the default build type (optimised, with debug
# information), in which GCC's flow analysis warns where -O3 does not: the
# program is built once that way, as anyone who runs plain CMake builds it.
configure build/default -DLABEL_TESTS=OFF
build build/default labeldesigner

# The sanitizer build is clang's: its libFuzzer drives the fuzz targets, which
# are built in the same tree on the same instrumented libraries. It compiles
# each target's files in one unit, where the release build takes eight at a
# time: two files whose helpers clash cannot pass both, whatever files are
# added later. On two cores it builds in about the time of batches of eight.
configure build/sanitize "${checked[@]}" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLABEL_FUZZ=ON \
  -DCMAKE_UNITY_BUILD_BATCH_SIZE=0
build build/sanitize
run_tests build/sanitize
scripts/run-fuzzers.sh build/sanitize 10
scripts/run-monkeys.sh build/sanitize 60

# ThreadSanitizer needs only the code with a thread and its tests.
configure build/tsan "${checked[@]}" -DLABEL_TSAN=ON
build build/tsan document_resource_tests gdi_thread_tests
run_tests build/tsan
