#!/usr/bin/env bash
# Sets up everything and runs every test: the native build, its unit tests
# once more under valgrind, the same build under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows cross build through Wine (with the
# shipping package's check), and a bounded run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
here=$(pwd)

bash scripts/setup.sh
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-20}
summary=()
status=0

run_suite() {
  local preset=$1
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: tests"
  local log="build/$preset/ctest-summary.txt"
  if ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log"; then
    summary+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
  else
    summary+=("$preset: FAILED: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
    status=1
  fi
}

run_suite native

echo "=== valgrind: the native unit tests under memcheck"
if bash scripts/valgrind.sh build/native unit; then
  summary+=("valgrind: unit tests clean")
else
  summary+=("valgrind: FAILED")
  status=1
fi

run_suite asan

source scripts/wine-env.sh
wine_start
trap wine_stop EXIT
run_suite windows

echo "=== fuzz: ${fuzz_seconds} s of each fuzz target"
if bash fuzz/run.sh "$fuzz_seconds"; then
  summary+=("fuzz: no finding in ${fuzz_seconds} s")
else
  summary+=("fuzz: FAILED")
  status=1
fi

echo
echo "=== Summary"
printf '%s\n' "${summary[@]}"
exit $status
