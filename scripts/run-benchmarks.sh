#!/usr/bin/env bash
# Runs every benchmark binary of a build tree. "smoke" makes each case run
# briefly (a check that they work); "full" measures.
set -euo pipefail
dir=${1:?build directory}
mode=${2:-full}
args=()
[ "$mode" = smoke ] && args+=(--benchmark_min_time=0.01)

[ -d "$dir/bench" ] || exit 0
while IFS= read -r bench; do
  echo "== $bench"
  "$bench" "${args[@]}"
done < <(find "$dir/bench" -type f -name "*_bench" -perm -u+x | sort)
