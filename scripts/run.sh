#!/usr/bin/env bash
# Installs what is missing, builds and starts Rain Scribe.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release
if [ -x build/src/app/rainscribe ]; then
  exec build/src/app/rainscribe "$@"
fi
exec build/src/app/rainscribe-cli "$@"
