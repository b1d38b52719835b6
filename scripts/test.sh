#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the normal build (g++),
# then the domain tests again under AddressSanitizer and UndefinedBehaviorSanitizer
# (clang, the domain tests), then the fuzz programs for a bounded time, then the
# WinTab driver's tests under Wine when mingw-w64 and Wine are installed.
# RS_QUICK=1 runs the normal build's tests only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)

echo "== build and test (g++)"
bash scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRS_BUILD_GUI=ON -DRS_BUILD_TESTS=ON
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300

[ "${RS_QUICK:-0}" = 1 ] && exit 0

# The domain (every reader of outside input) runs under the sanitizers; the windows' tests run in the normal build.
echo "== domain tests with AddressSanitizer and UndefinedBehaviorSanitizer (clang)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
CC=clang CXX=clang++ RS_BUILD_DIR=build-fuzz bash scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRS_BUILD_FUZZ=ON \
  -DRS_BUILD_GUI=OFF -DRS_BUILD_TESTS=ON
ctest --test-dir build-fuzz --output-on-failure -j"$jobs" --timeout 600

echo "== fuzzing"
bash scripts/fuzz.sh "${RS_FUZZ_SECONDS:-60}"
if [ -f scripts/wintab-tests.sh ]; then bash scripts/wintab-tests.sh; fi
