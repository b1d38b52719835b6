#!/usr/bin/env bash
# Configures and builds into build/ (or $RS_BUILD_DIR) with the given extra CMake options.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${RS_BUILD_DIR:-build}
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
