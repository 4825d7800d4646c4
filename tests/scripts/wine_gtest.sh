#!/usr/bin/env bash
# Runs one Windows test program under Wine and judges it by its own summary, not by Wine's
# exit status alone (a program killed at a crash dialog, or one that dies before its summary,
# must never count as passed):
#
#   tests/scripts/wine_gtest.sh WINE PROGRAM ARGS...
#
# A GoogleTest program (an argument starting with --gtest) passes only when Wine exits with 0,
# its summary says how many tests ran, none failed, and every test that ran either passed or
# was skipped; skipped tests are named and counted apart, never as passed, and a program whose
# tests were all skipped ends with status 77, which CTest reports as skipped. Any other program
# passes on exit status 0. The program's output goes through unchanged, followed by one verdict
# line "wine-gtest: PROGRAM: ...".
set -uo pipefail
wine=$1
shift
program=$(basename "$1")
gtest=0
for argument in "$@"; do
  [[ "$argument" == --gtest* ]] && gtest=1
done

# Into a file, not a pipe: the Wine server and the helper processes Wine starts with the first
# program inherit its output and outlive it, and a pipe would stay open for as long as they live.
# Stopped from outside (CTest's time-out), it still shows what the program said so far.
output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0
"$wine" "$@" >"$output" 2>&1 </dev/null &
child=$!
trap 'kill "$child" 2>/dev/null; cat "$output"; echo "wine-gtest: $program: FAILED: stopped from outside"; exit 1' TERM INT
wait "$child" || status=$?
cat "$output"

verdict() {
  echo "wine-gtest: $program: $1"
  exit "$2"
}
if [ "$status" -ne 0 ]; then
  verdict "FAILED: exited with status $status (a crash or a failed test)" 1
fi
[ "$gtest" = 1 ] || verdict "exited with status 0" 0

# "[==========] 12 tests from 3 test suites ran. (40 ms total)"
# "[  PASSED  ] 11 tests."  "[  SKIPPED ] 1 test, listed below:"  "[  FAILED  ] 2 tests, listed below:"
count() {
  sed -n -E "s/^\[ *$1 *\] ([0-9]+) tests?[,.].*/\1/p" "$output" | tail -1
}
ran=$(sed -n -E 's/^\[==========\] ([0-9]+) tests? from .* ran\..*/\1/p' "$output" | tail -1)
passed=$(count PASSED)
skipped=$(count SKIPPED)
failed=$(count FAILED)
[ -n "$ran" ] && [ -n "$passed" ] || verdict "FAILED: no summary (the program ended before its tests finished)" 1
skipped=${skipped:-0}
failed=${failed:-0}
if [ "$failed" -ne 0 ]; then
  verdict "FAILED: $failed of $ran tests failed" 1
fi
if [ "$ran" -eq 0 ]; then
  verdict "FAILED: no test ran" 1
fi
if [ $((passed + skipped)) -ne "$ran" ]; then
  verdict "FAILED: $ran tests ran but only $passed passed and $skipped were skipped" 1
fi
if [ "$passed" -eq 0 ]; then
  verdict "all $ran tests skipped (not run)" 77
fi
if [ "$skipped" -ne 0 ]; then
  verdict "$passed of $ran tests passed, $skipped skipped (not run, not counted as passed)" 0
fi
verdict "all $ran tests passed" 0
