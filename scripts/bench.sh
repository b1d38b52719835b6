#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks (Release), runs every one of them and ends with one
# table of the figures against their targets (scripts/bench_report.py). Extra arguments go to every
# benchmark program. Exit status 1 when a figure misses its target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
RS_BUILD_DIR=build-bench bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DRS_BUILD_BENCH=ON -DRS_BUILD_TESTS=OFF
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  n=$(basename "$b")
  echo "== $n"
  "$b" --benchmark_min_time=0.2 --benchmark_out="$out/${n#bench_}.json" --benchmark_out_format=json "$@" ||
    echo "== $n failed (status $?)"
done
echo "== batch throughput"
bash scripts/bench_batch.sh build-bench "$out" || echo "== batch throughput failed (status $?)"
python3 scripts/bench_report.py "$out"
