#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks (Release) and runs every one of them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
RS_BUILD_DIR=build-bench bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DRS_BUILD_BENCH=ON -DRS_BUILD_TESTS=OFF
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for b in build-bench/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.2 "$@"
done
