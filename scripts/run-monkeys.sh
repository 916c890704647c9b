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
  echo "== $name monkey for ${seconds}s"
  LABEL_MONKEY_EVENTS=100000000 LABEL_MONKEY_SECONDS=$seconds QT_QPA_PLATFORM=offscreen \
    "$dir/$program" --gtest_filter="$filter" 2>&1 | grep -v "^This plugin does not support"
  return "${PIPESTATUS[0]}"
}

play "main window" tests/app/gui/app_gui_tests 'MainWindowTest.RandomUseNeverBreaksTheWindow' &&
  play "editor control" tests/document/control/document_control_tests 'EditorMonkeyTest.*'
