#!/usr/bin/env bash
# Plays the monkey tests of a build tree for the given number of seconds each:
# random clicks, keys, typing, shapes and dialogs on the real main window, and
# random mouse, key, wheel and clipboard input on the editor control. In the
# sanitizer build any memory or undefined-behaviour fault fails them. The
# offscreen platform's notes about what it cannot do (raise, grab the
# keyboard) are left out of the log.
set -uo pipefail
dir=${1:?build directory}
seconds=${2:-60}

play() {
  local name=$1 program=$2 filter=$3
  LABEL_MONKEY_EVENTS=100000000 LABEL_MONKEY_SECONDS=$seconds QT_QPA_PLATFORM=offscreen \
    "$dir/$program" --gtest_filter="$filter" 2>&1 | grep -v "^This plugin does not support" >"$logs/$name.log"
  local status=${PIPESTATUS[0]}
  echo "== $name monkey for ${seconds}s (exit status $status)"
  cat "$logs/$name.log"
  return "$status"
}

# The two play at the same time; each log is printed when its monkey ends.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
play "main window" tests/app/gui/app_gui_tests 'MainWindowTest.RandomUseNeverBreaksTheWindow' &
window=$!
play "editor control" tests/document/control/document_control_tests 'EditorMonkeyTest.*' &
editor=$!
wait "$window" && window_status=0 || window_status=$?
wait "$editor" && editor_status=0 || editor_status=$?
[ "$window_status" -eq 0 ] && [ "$editor_status" -eq 0 ]
