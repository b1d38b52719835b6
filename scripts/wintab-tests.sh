#!/usr/bin/env bash
# Cross-builds the WinTab driver and its tests (with the file searches' Windows
# rules) for 64-bit Windows with mingw-w64 and runs them under Wine, with the
# test "Wintab32.DLL" preferred over Wine's own (Debian packages:
# g++-mingw-w64-x86-64, wine, wine64). Wine runs without a display and without
# questions, as root too: its prefix is created quietly in the build folder.
# Without the cross compiler or Wine it says so and exits 0, or fails with
# RS_REQUIRE_WINDOWS=1 (the test command sets it: its dependencies include them).
#   RS_WIN_BUILD_DIR  build folder (default build-win)
#   WINEPREFIX        Wine prefix (default: inside the build folder)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${RS_WIN_BUILD_DIR:-build-win}
skip() {
  if [ "${RS_REQUIRE_WINDOWS:-0}" = 1 ]; then
    echo "wintab-tests: $1"
    exit 1
  fi
  echo "note: $1; WinTab tests skipped"
  exit 0
}
if ! command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1; then
  skip "x86_64-w64-mingw32-g++ not found (apt-get install g++-mingw-w64-x86-64)"
fi
wine=$(command -v wine64 2>/dev/null || command -v wine 2>/dev/null || true)
if [ -z "$wine" ]; then
  skip "wine not found (apt-get install wine wine64)"
fi

echo "== WinTab driver tests (mingw-w64, Wine)"
cmake -S tests/tablet/win -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build"

mkdir -p "$build"
export WINEPREFIX=${WINEPREFIX:-$(cd "$build" && pwd)/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# The native (test) wintab32 only; no installers for .NET or HTML at prefix creation.
export WINEDLLOVERRIDES="wintab32=n;mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

# The prefix is made once, quietly (no display, no installers); a Wine that
# cannot start a program at all cannot run the tests on this machine either.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || true
  timeout 120 wineserver -w 2>/dev/null || true
fi
if ! timeout 300 "$wine" cmd /c exit 0 >/dev/null 2>&1; then
  skip "$wine cannot run Windows programs here"
fi
timeout 600 "$wine" "$build/wintab_tests.exe" 2>&1 | tr -d '\r'
exit "${PIPESTATUS[0]}"
