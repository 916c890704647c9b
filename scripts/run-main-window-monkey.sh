#!/usr/bin/env bash
# Plays the main window's monkey test of a build tree (random clicks, keys,
# typing, shapes and dialogs on the real window) for the given number of
# seconds; in the sanitizer build any memory or undefined-behaviour fault
# fails it. The offscreen platform's notes about what it cannot do (raise,
# grab the keyboard) are left out of the log.
set -uo pipefail
dir=${1:?build directory}
seconds=${2:-60}
echo "== main window monkey for ${seconds}s"
LABEL_MONKEY_SECONDS=$seconds QT_QPA_PLATFORM=offscreen \
  "$dir/tests/app/gui/app_gui_tests" --gtest_filter='MainWindowTest.RandomUseNeverBreaksTheWindow' 2>&1 |
  grep -v "^This plugin does not support"
exit "${PIPESTATUS[0]}"
