#!/usr/bin/env bash
# Builds the soak program (Release, into build-bench/) and runs it offscreen and, when xvfb-run is
# there, on a virtual X display: 500 charts opened and closed, 5,000 points digitized, 1,000 switches
# between 20 chart windows. Extra arguments go to the program (the three counts).
# Exit status 1 when memory or time grows from the first round to the last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
dir=build-bench
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRS_BUILD_BENCH=ON -DRS_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target soak
status=0
echo "== soak, offscreen"
QT_QPA_PLATFORM=offscreen "$dir/bench/soak" "$@" || status=1
if command -v xvfb-run >/dev/null; then
  echo "== soak, Xvfb"
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1200x24" "$dir/bench/soak" "$@" || status=1
fi
exit $status
