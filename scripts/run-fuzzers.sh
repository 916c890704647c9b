#!/usr/bin/env bash
# Runs every libFuzzer target of a build tree for the given number of seconds
# each, starting from its seed corpus when it has one, as many at a time as
# there are cores. Each target's log is printed when it ends; the script fails
# when any target found a fault. A unit that runs longer than
# LABEL_FUZZ_UNIT_SECONDS (10 s unless set) is a fault: the targets' own
# watchdog reports it (tests/fuzz/UnitWatchdog.cpp).
set -uo pipefail
dir=${1:?build directory}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

fuzz() {
  local fuzzer=$1 name corpus seeds status
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  seeds="$root/tests/fuzz/corpus/${name%_fuzzer}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$corpus" >"$logs/$name.log" 2>&1
  status=$?
  rm -rf "$corpus"
  echo "== $name for ${seconds}s (exit status $status)"
  tail -n 12 "$logs/$name.log"
  return "$status"
}
export -f fuzz
export root seconds logs

shopt -s nullglob
fuzzers=("$dir"/tests/fuzz/*_fuzzer)
[ ${#fuzzers[@]} -gt 0 ] || { echo "no fuzz target in $dir" >&2; exit 1; }
printf '%s\0' "${fuzzers[@]}" | xargs -0 -n 1 -P "$(nproc)" bash -c 'fuzz "$1"' _
