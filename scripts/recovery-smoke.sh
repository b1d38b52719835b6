#!/usr/bin/env bash
# Crash recovery, end to end under a virtual X server: the built program opens
# a chart with a scale and points, the operator starts digitizing and takes
# back three points by keys, the program is killed (SIGKILL) after the
# recovery interval, and the next start must offer the chart, reopen it with
# its 31 points and save it under its own name.
#
#   bash scripts/recovery-smoke.sh [BUILD_DIR]      (default: $RS_BUILD_DIR or build)
#
# Skips (exit 0) without xvfb-run or xdotool. RS_SMOKE_SHOTS=DIR keeps the
# screenshots (the offer and the reopened chart) when ImageMagick's import is there.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--inside" ]; then
    for tool in xvfb-run xdotool; do
        if ! command -v "$tool" >/dev/null; then
            echo "recovery-smoke: skipped ($tool not installed)"
            exit 0
        fi
    done
    build=${1:-${RS_BUILD_DIR:-build}}
    for exe in rainscribe rainscribe-cli; do
        if [ ! -x "$build/src/app/$exe" ]; then
            echo "recovery-smoke: FAILED ($build/src/app/$exe not built)"
            exit 1
        fi
    done
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    # The program keeps its settings beside itself: a copy of its own keeps them out of the build.
    mkdir -p "$tmp/app" "$tmp/config" "$tmp/home" "$tmp/data/12345678"
    cp "$build/src/app/rainscribe" "$tmp/app/"
    cp "$build/src/app/rainscribe-cli" "$tmp/app/"
    cp tests/data/recovery/12345678-20220610.pvd "$tmp/data/12345678/"
    status=0
    xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inside "$tmp" >"$tmp/log" 2>&1 || status=$?
    result=$(grep '^recovery-smoke:' "$tmp/log" | tail -1 || true)
    if [ "$status" -ne 0 ] || [ -z "$result" ]; then
        cat "$tmp/log" >&2
        echo "${result:-recovery-smoke: FAILED (exit $status)}"
        exit 1
    fi
    echo "$result"
    exit 0
fi

# --- inside the X server ------------------------------------------------------
tmp=$2
[ -n "${RS_SMOKE_TRACE:-}" ] && set -x
export XDG_CONFIG_HOME="$tmp/config" HOME="$tmp/home" LC_ALL=C.UTF-8
chart="$tmp/data/12345678/12345678-20220610.pvd"
recovery="$XDG_CONFIG_HOME/RainScribe/Recovery"
cli="$tmp/app/rainscribe-cli"
pid=

fail()
{
    echo "recovery-smoke: FAILED ($*)"
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    exit 1
}

# points STATE of a chart file, from the command-line tool's JSON
summary()
{
    "$cli" info "$1" | python3 -c 'import json,sys; d=json.load(sys.stdin); print(len(d["curve"]["items"]), d["state"])'
}

shot()
{
    if [ -n "${RS_SMOKE_SHOTS:-}" ] && command -v import >/dev/null; then
        mkdir -p "$RS_SMOKE_SHOTS"
        import -window root "$RS_SMOKE_SHOTS/$1.png" || true
    fi
}

# the recovery copies, one a line
copies()
{
    if [ -d "$recovery" ]; then find "$recovery" -maxdepth 1 -name '*.pvd'; fi
}

main_window()
{
    timeout 20 xdotool search --sync --onlyvisible --name '^Rain Scribe$' | head -1
}

[ "$(summary "$chart")" = "34 0" ] || fail "the test chart is not the expected one"

# First run: the chart is opened and changed, then the program dies.
"$tmp/app/rainscribe" -ns "$chart" &
pid=$!
w=$(main_window) || fail "the main window did not appear"
[ -n "$w" ] || fail "the main window did not appear"
sleep 1
xdotool windowfocus --sync "$w"
xdotool key F8                     # "Digitalizar Curva": the chart is now modified
sleep 0.3
xdotool key ctrl+BackSpace ctrl+BackSpace ctrl+BackSpace # "Desfazer Último Ponto" three times
copy=
for _ in $(seq 1 50); do           # the copy is due 30 s after the first change
    copy=$(copies | head -1)
    [ -n "$copy" ] && break
    sleep 1
done
[ -n "$copy" ] || fail "no recovery copy 50 s after the changes"
sleep 1
[ "$(summary "$copy")" = "31 3" ] || fail "the recovery copy holds $(summary "$copy") instead of 31 points digitizing"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=
[ "$(summary "$chart")" = "34 0" ] || fail "the chart file changed before it was saved"

# Second run: the offer, "Sim", and "Salvar" (Ctrl+S).
"$tmp/app/rainscribe" -ns &
pid=$!
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Confirma' | head -1) || true
[ -n "$box" ] || fail "no recovery offer at the next start"
sleep 0.5
shot offer
xdotool windowfocus --sync "$box"
xdotool key Return                 # "Sim", the default button
sleep 1
w=$(main_window) || fail "the main window is gone"
xdotool windowfocus --sync "$w"
xdotool key ctrl+s
for _ in $(seq 1 20); do
    [ "$(summary "$chart")" = "31 3" ] && break
    sleep 0.5
done
shot reopened
[ "$(summary "$chart")" = "31 3" ] || fail "the saved chart holds $(summary "$chart") instead of 31 points digitizing"
left=$(copies | wc -l)
[ "$left" -eq 0 ] || fail "$left recovery copies left after saving"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "recovery-smoke: ok (killed with 3 of 34 points undone: offered at the next start, reopened with 31 points, saved under its own name)"
