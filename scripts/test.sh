#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build --output-on-failure -j"$(nproc)"
if [ -f fuzz/CMakeLists.txt ]; then
  bash scripts/fuzz.sh "${RS_FUZZ_SECONDS:-60}"
fi
