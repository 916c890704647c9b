#!/usr/bin/env bash
# Runs every benchmark binary of a build tree. "smoke" makes each case run
# briefly (a check that they work); "full" measures. A binary that fails
# does not stop the others: the failures are listed at the end, and the
# script then exits with an error.
set -uo pipefail
dir=${1:?build directory}
mode=${2:-full}
args=()
if [ "$mode" = smoke ]; then
  args+=(--benchmark_min_time=0.01)
  export LABEL_BENCH_SMOKE=1
fi
# The benchmarks that show windows draw off screen unless told otherwise.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

benches=()
if [ -d "$dir/bench" ]; then
  mapfile -t benches < <(find "$dir/bench" -type f -name "*_bench" -perm -u+x | sort)
fi
# A tree configured without the benchmarks has nothing to measure: that is
# an error, not a run that passed.
if [ ${#benches[@]} -eq 0 ]; then
  echo "run-benchmarks: no benchmark binary (*_bench) under $dir/bench." >&2
  echo "Configure with -DLABEL_BENCH=ON and build, for example:" >&2
  echo "  cmake -G Ninja -S . -B $dir -DCMAKE_BUILD_TYPE=Release -DLABEL_BENCH=ON && cmake --build $dir" >&2
  exit 1
fi

failed=()
for bench in "${benches[@]}"; do
  echo "== $bench"
  "$bench" "${args[@]}" || failed+=("$bench (exit status $?)")
done

[ ${#failed[@]} -eq 0 ] && exit 0
echo "== failed benchmarks:" >&2
printf '  %s\n' "${failed[@]}" >&2
exit 1
