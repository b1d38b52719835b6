#!/usr/bin/env bash
# The automatic trace's accuracy and speed report: builds rainscribe-cli and the report program
# (Release, build-report/ or $RS_REPORT_BUILD), generates the charts of every kind with their truth
# (synth/), traces each with `rainscribe-cli trace` and prints per chart and in total the errors
# against the truth, the time and the peak memory, and the targets met. Not part of the tests.
# Arguments go to the report program (e.g. --auto-scale, --only curved, --keep, --work DIR).
# Exit status 1 when a target is missed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
dir=${RS_REPORT_BUILD:-build-report}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRS_BUILD_GUI=OFF -DRS_BUILD_TESTS=OFF \
      -DRS_BUILD_BENCH=ON >/dev/null
cmake --build "$dir" --target rainscribe-cli tracereport -j"$(nproc)" >/dev/null
exec "$dir/synth/tracereport" --cli "$dir/src/app/rainscribe-cli" "$@"
