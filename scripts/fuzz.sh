#!/usr/bin/env bash
# Builds the libFuzzer programs with clang and runs each for a bounded time
# (seconds per program: first argument, default 60). Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-60}
dir=build-fuzz
# Reuses the sanitizer build of the test run when there is one.
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DRS_BUILD_FUZZ=ON -DRS_BUILD_GUI=OFF -DRS_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$dir" -j"$(nproc)"
corpus="$dir/corpus"
"$dir/fuzz/fuzz_seeds" "$corpus"
for f in "$dir"/fuzz/fuzz_*; do
  [ -f "$f" ] && [ -x "$f" ] || continue # only the programs, not the build's folders
  name=$(basename "$f"); name=${name#fuzz_}
  [ "$name" = seeds ] && continue
  mkdir -p "$corpus/$name" "$dir/findings/$name"
  [ -d "fuzz/corpus/$name" ] && cp -n fuzz/corpus/"$name"/* "$corpus/$name/" 2>/dev/null || true
  echo "== fuzzing $name for ${secs}s"
  "$f" -max_total_time="$secs" -timeout=1 -malloc_limit_mb=256 -rss_limit_mb=1024 \
       -artifact_prefix="$dir/findings/$name/" -print_final_stats=0 "$corpus/$name" 2>"$dir/fuzz-$name.log" \
    || { tail -40 "$dir/fuzz-$name.log"; echo "fuzz: $name found a problem"; exit 1; }
  grep -E '^#[0-9]+.*DONE' "$dir/fuzz-$name.log" | tail -1 || true
done
