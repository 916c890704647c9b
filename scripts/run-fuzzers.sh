#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build tree for the given number of
# seconds each, starting from its seed corpus when it has one.
set -euo pipefail
dir=${1:?build directory}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
for fuzzer in "$dir"/tests/fuzz/*_fuzzer; do
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  seeds="$root/tests/fuzz/corpus/${name%_fuzzer}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  echo "== $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
  rm -rf "$corpus"
done
