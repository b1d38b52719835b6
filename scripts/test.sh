#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the normal build (g++),
# then four smoke runs of the real program under Xvfb, then every test again, the windows' offscreen tests included, under
# AddressSanitizer and UndefinedBehaviorSanitizer (clang), then the fuzz programs
# for a bounded time, then the check that every source compiles for Windows
# (mingw-w64) and the WinTab driver's tests under Wine.
# RS_QUICK=1 runs the normal build's tests only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)

# A compiler cache makes the second and later runs rebuild only what changed.
cache=()
if command -v ccache >/dev/null; then
  cache=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

echo "== build and test (g++)"
# Line tables are debug information enough for test failures and sanitizer
# reports, and build much faster than full debug information.
bash scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DRS_BUILD_GUI=ON -DRS_BUILD_TESTS=ON "${cache[@]}"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300

[ "${RS_QUICK:-0}" = 1 ] && exit 0

# The real program under Xvfb: a chart digitized through the virtual tablet with
# mouse and keys, a run killed in the middle of a digitization and restarted,
# charts renamed and saved and the program quit with its tool windows open, and
# a chart with overflows, a failure and an emptying checked in its totals and maxima.
echo "== smoke runs under Xvfb"
bash scripts/road-smoke.sh build
bash scripts/recovery-smoke.sh build
bash scripts/files-smoke.sh build
bash scripts/totals-smoke.sh build

# The same tests, windows included, under the sanitizers; lsan.supp only holds the
# allocations the system libraries keep for the process's life.
echo "== tests with AddressSanitizer and UndefinedBehaviorSanitizer (clang)"
started=$SECONDS
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
CC=clang CXX=clang++ RS_BUILD_DIR=build-fuzz bash scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" -DRS_BUILD_FUZZ=ON \
  -DRS_BUILD_GUI=ON -DRS_BUILD_TESTS=ON "${cache[@]}"
ctest --test-dir build-fuzz --output-on-failure -j"$jobs" --timeout 600
echo "== sanitizer pass: $((SECONDS - started)) s"

echo "== fuzzing"
bash scripts/fuzz.sh "${RS_FUZZ_SECONDS:-30}"
# Their tools are among the dependencies: a missing one fails the run.
RS_REQUIRE_WINDOWS=1 bash scripts/windows-check.sh
RS_REQUIRE_WINDOWS=1 bash scripts/wintab-tests.sh
