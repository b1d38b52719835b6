#!/usr/bin/env bash
# The automatic trace on the real scan, as an operator sees it: the chart is made
# from the scan in ../shared/scans (page 1) with rainscribe-cli trace and control
# points typed at grid intersections, opened in the program under a virtual X
# server with "Mesa Virtual" open, traced again with "Traçar Automaticamente"
# (Ctrl+Shift+F8, answering "Sim" to the replacement question), and the screen is
# saved as a picture: the curve over the ink in "Mesa Virtual", the unsure
# stretches highlighted there and listed in "Trechos Duvidosos".
#
#   bash scripts/trace-shot.sh [BUILD_DIR] [PICTURE]
#       (defaults: build, docs/screenshots/trace-mesa-virtual.png)
set -euo pipefail
cd "$(dirname "$0")/.."

scan=../shared/scans/m162-2014-03-06.tif
# A second checkout (a worktree one folder further down) finds it one level up.
[ -f "$scan" ] || [ ! -f "../$scan" ] || scan=../$scan
if [ "${1:-}" != "--inside" ]; then
    for tool in xvfb-run xdotool import; do
        command -v "$tool" >/dev/null || { echo "trace-shot: skipped ($tool not installed)"; exit 0; }
    done
    [ -f "$scan" ] || { echo "trace-shot: skipped (no $scan)"; exit 0; }
    build=${1:-build}
    shot=$(realpath -m "${2:-docs/screenshots/trace-mesa-virtual.png}")
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    mkdir -p "$tmp/app" "$tmp/config" "$tmp/home" "$tmp/data/00000162"
    cp "$build/src/app/rainscribe" "$build/src/app/rainscribe-cli" "$tmp/app/"
    timeout 120 xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" --inside "$tmp" "$(realpath "$scan")" "$shot"
    exit 0
fi

tmp=$2 scan=$3 shot=$4
export XDG_CONFIG_HOME="$tmp/config" HOME="$tmp/home" LC_ALL=C.UTF-8
chart="$tmp/data/00000162/00000162-20140306.pvd"
# Grid intersections of page 1 (pixels, 100 dpi): hour lines and millimetre lines.
"$tmp/app/rainscribe-cli" trace "$scan" -o "$chart" --station 00000162 --date 06/03/2014 --name CHONE \
    --control 120,346.3,8,0 --control 184,30,9,10 --control 373,62.2,12,9 --control 499,189.2,14,5 \
    --control 878,348.7,20,0 --control 1260,96.7,26,8 --control 1514,287.4,30,2
cat >"$tmp/app/rainscribe.ini" <<INI
[Pasta de Dados Recentes]
1=$tmp/data
[Mesa Virtual]
Aberta=1
INI
"$tmp/app/rainscribe" -ns "$chart" &
pid=$!
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Rain Scribe' | head -1)
vt=$(timeout 20 xdotool search --sync --onlyvisible --name '^Mesa Virtual' | head -1)
sleep 1
xdotool windowmove --sync "$main" 0 0
xdotool windowsize --sync "$main" 1600 430
xdotool windowmove --sync "$vt" 0 460
xdotool windowsize --sync "$vt" 1600 540
sleep 1
xdotool windowfocus --sync "$main"
xdotool key ctrl+shift+F8
sleep 1
xdotool key Return # "Sim": the traced curve replaces the one in the file
list=$(timeout 20 xdotool search --sync --onlyvisible --name '^Trechos Duvidosos' | head -1)
xdotool windowmove --sync "$list" 640 60
results=$(xdotool search --onlyvisible --name '^Pontos Digitalizados' | head -1)
if [ -n "$results" ]; then
    xdotool windowmove --sync "$results" 1130 40
    xdotool windowsize --sync "$results" 470 390
fi
sleep 2
mkdir -p "$(dirname "$shot")"
import -window root "$shot"
# 256 colours: a picture for the README, a fraction of the size.
command -v convert >/dev/null && convert "$shot" -colors 256 "PNG8:$shot"
kill "$pid"
echo "trace-shot: $shot"
