#!/usr/bin/env bash
# The road of one pluviogram, end to end under a virtual X server, with real
# mouse and key events: the built program shows a scanned chart on the virtual
# tablet ("Mesa Virtual"); the operator makes a new chart in the properties
# dialog, defines a straight 7 h scale from five points marked on the picture
# with typed coordinates, digitizes the curve (an overflow by the tablet's
# third button, a second one from a drop), finishes and saves it, closes it,
# reopens it from the recent-files entry, adds a point and saves again, and
# quits. The saved file is checked with `rainscribe-cli info`, the recent
# entry in the settings file.
#
#   bash scripts/road-smoke.sh [BUILD_DIR]      (default: $RS_BUILD_DIR or build)
#
# Prints one result line; exit 0 on success (also "skipped" without xvfb-run,
# xdotool or ImageMagick). RS_SMOKE_SHOTS=DIR keeps screenshots of the
# digitized chart and of its results window; RS_SMOKE_TRACE=1 traces.
set -euo pipefail
cd "$(dirname "$0")/.."
SMOKE=road-smoke
. scripts/smoke-lib.sh

if [ "${1:-}" != "--inside" ]; then
    smoke_outside "$0" 150 "${1:-${RS_BUILD_DIR:-build}}" xvfb-run xdotool convert import python3
fi

# --- inside the X server ------------------------------------------------------
smoke_inside "$2"
chart="$tmp/data/12345678/12345678-20240311.pvd"
image="$tmp/carta.png"
chart_picture "$image" "7 0" "9 4" "11 9.2" "11.02 0" "13 2" "15 8" "15.5 1" "30 2.5" "31 2.5" ||
    fail "the chart picture could not be made"

cat >"$ini" <<EOF
[Pasta de Dados Recentes]
1=$tmp/data
[Mesa Virtual]
Aberta=1
Imagem=$image
EOF

start_program
xdotool windowmove --sync "$vt" 0 360
xdotool windowsize --sync "$vt" 1600 640
sleep 1.5
find_picture

# --- new chart, and its scale from five points with typed coordinates -----------
new_chart "Vale do Rio" 11032024 20
gone '^Propriedades do Novo Pluviograma' || fail "the properties dialog did not close"
sleep 0.5
typed_scale

# --- digitizing ---------------------------------------------------------------
keys_to "$main" F8                           # "Digitalizar Curva"
sleep 0.5
tap 7 0
tap 9 4
tap 11 9.2
tap 11 9.2 2                                 # the overflow button (mouse middle = button 3)
tap 13 2
tap 15 8
tap 15.5 1                                   # a drop of 7 mm: an overflow by itself
tap 30 2.5
keys_to "$main" ctrl+F8 ctrl+s               # "Finalizar Digitalização", "Salvar"
for _ in $(seq 1 30); do
    [ -f "$chart" ] && break
    sleep 0.2
done
[ -f "$chart" ] || fail "no file $chart after saving"

check()
{
    "$cli" info "$chart" | python3 -c '
import json, sys
d = json.load(sys.stdin)
want_points, want_sum = int(sys.argv[1]), float(sys.argv[2])
h, s, items = d["header"], d["scale"], d["curve"]["items"]
problems = []
if d["state"] != 0: problems.append("state %d" % d["state"])
if h["st_code"] != "12345678" or h["date_text"] != "11/03/2024" or h["hour"] != 7 or not h["linear"]:
    problems.append("header %s" % h)
if h["ptot"] != 20: problems.append("gauge reading %s" % h["ptot"])
if not s["concluded"] or len(s["points"]["items"]) != 5: problems.append("scale")
if len(items) != want_points: problems.append("%d points" % len(items))
if d["peaks"] != 2 or d["failures"] != 0: problems.append("%d peaks, %d failures" % (d["peaks"], d["failures"]))
if abs(d["sum"] - want_sum) > 0.1: problems.append("sum %.3f" % d["sum"])
if len(items) > 3 and (items[2]["mark"] != 1 or abs(items[3]["t"] - items[2]["t"] - 0.001) > 1e-9 or items[3]["p"] != 0):
    problems.append("overflow %s %s" % (items[2], items[3]))
if problems: print("; ".join(problems)); sys.exit(1)
print("%d points, %d picos, P = %.2f mm" % (len(items), d["peaks"], d["sum"]))
' "$@"
}
first=$(check 8 19.7) || fail "saved chart: $first"

# --- close, reopen from the recent files, one point more -----------------------
file_menu f                                  # "&Fechar"
sleep 0.5
file_menu 1                                  # the recent entry "&1 12345678-20240311.pvd"
sleep 1
# The opened chart raises the main window; without a window manager to keep
# the virtual tablet above its main window, it is raised by hand.
xdotool windowraise "$vt"
sleep 0.3
keys_to "$main" F8
sleep 0.3
tap 31 2.5
keys_to "$main" ctrl+F8
sleep 0.3
if [ -n "${RS_SMOKE_SHOTS:-}" ]; then
    # The virtual tablet aside, the chart and its results window beside it for the pictures.
    keys_to "$main" alt+m v                  # "Mesa &Virtual" off
    sleep 0.5
    res=$(window '^Pontos Digitalizados' 5) || true
    if [ -n "$res" ]; then
        xdotool windowmove --sync "$res" 652 44
        xdotool windowsize --sync "$res" 300 454
        xdotool windowraise "$res"
    fi
    xdotool mousemove 1500 900
    sleep 0.8
    shot road
    # The pictures of the README: the chart window, and the chart with its results window.
    eval "$(xdotool getwindowgeometry --shell "$main")"
    convert "$RS_SMOKE_SHOTS/road.png" -crop "642x452+$X+$((Y + 46))" +repage "$RS_SMOKE_SHOTS/digitized.png" || true
    convert "$RS_SMOKE_SHOTS/road.png" -crop "956x455+$X+$((Y + 45))" +repage "$RS_SMOKE_SHOTS/results-window.png" || true
fi
keys_to "$main" ctrl+s
for _ in $(seq 1 30); do
    again=$(check 9 19.7 2>/dev/null) && break
    sleep 0.2
done
again=$(check 9 19.7) || fail "reopened and saved chart: $again"

# --- quit: the recent entry stays in the settings file -------------------------
file_menu r r Return                         # "Sai&r" (after "Apresentar &Resumos...")
wait_quit
recent=$(python3 - "$ini" "$chart" <<'EOF'
import sys
text = open(sys.argv[1], encoding="latin-1").read().replace("\r", "")
section = text.split("[Arquivos Recentes]\n", 1)[1].split("\n[", 1)[0] if "[Arquivos Recentes]\n" in text else ""
print("ok" if "1=" + sys.argv[2] in section.split("\n") else "missing")
EOF
)
[ "$recent" = ok ] || fail "the chart is not the first recent file in the settings file"
echo "road-smoke: ok (new chart, straight 7 h scale from 5 typed points, digitized and saved: $first; reopened from the recent files and saved again: $again)"
