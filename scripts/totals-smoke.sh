#!/usr/bin/env bash
# Day totals, maxima and emptyings, under a virtual X server with real mouse
# and key events: a chart is digitized through the virtual tablet with two
# siphon overflows, a failure mark ("Sinalizar Falha") that the overflow
# button then leaves alone, a gauge emptied by hand (a drop under 5 mm signalled
# with the overflow button after "Sim" to the question) and an overflow whose
# return point is chosen in the results window and deleted with Ctrl+Del; it
# is saved, and the folder summaries are opened on the data folder.
# `rainscribe-cli info`, `scan`, `series` and `maxima` then check that the
# summaries show the day's sum with "±" (not the last stretch), the maxima over
# the failure are flagged as lower bounds (also the annual ones), the series add
# up to the day's sum, the emptying is carried forward and the failure mark
# stayed a failure; the summaries window's "Copiar Listagem" (read with xclip,
# when installed) shows the same total. Every file that should exist exists and
# no other file was removed.
#
#   bash scripts/totals-smoke.sh [BUILD_DIR]    (default: $RS_BUILD_DIR or build)
#
# Prints one result line; exit 0 on success (also "skipped" without xvfb-run,
# xdotool, ImageMagick or python3). RS_SMOKE_SHOTS=DIR keeps screenshots of the
# digitized chart and of the summaries window; RS_SMOKE_TRACE=1 traces.
set -euo pipefail
cd "$(dirname "$0")/.."
SMOKE=totals-smoke
. scripts/smoke-lib.sh

if [ "${1:-}" != "--inside" ]; then
    smoke_outside "$0" 150 "${1:-${RS_BUILD_DIR:-build}}" xvfb-run xdotool convert import python3 md5sum
fi

# --- inside the X server ------------------------------------------------------
smoke_inside "$2"
station="$tmp/data/12345678"
chart="$station/12345678-20240314.pvd"
other="$station/12345678-20220610.pvd"        # a chart of another day, left alone
notes="$station/notas.txt"
mkdir -p "$station"
cp tests/data/recovery/12345678-20220610.pvd "$other"
printf 'Troca da proveta em 13/03/2024\r\n' >"$notes"
before=$(cd "$tmp/data" && md5sum ./12345678/*)

# The pen's day: 9.2 mm siphoned at 11 h, a drop from 8 to 1 mm at 15:30 (an
# overflow by itself), a decline of 0.2 mm at 17 h, no record from 18 h to 20 h
# (the failure; the pen is at 1 mm when the record goes on), the gauge emptied
# by hand at 2.2 mm at 22 h, 7 mm siphoned at 2 h. The first and the last hour
# of each stretch are flat, so no rain falls in an interval only partly recorded.
image="$tmp/carta.png"
chart_picture "$image" "7 0" "8 0" "11 9.2" "11.02 0" "15 8" "15.5 1" "16.5 3.2" "17 3" "18 3.5" "20 1" "21 1" \
    "22 2.2" "22.02 0" "24 1" "26 7" "26.02 0" "28 8" "31 8.5" || fail "the chart picture could not be made"
cat >"$ini" <<EOF
[Pasta de Dados Recentes]
1=$tmp/data
[Mesa Virtual]
Aberta=1
Imagem=$image
EOF

start_program
# The tablet below, the results window above it on the right: they never overlap.
xdotool windowmove --sync "$vt" 0 470
xdotool windowsize --sync "$vt" 1600 530
sleep 1.5
find_picture

new_chart "Posto da Falha" 14032024 31
gone '^Propriedades do Novo Pluviograma' || fail "the properties dialog did not close"
sleep 0.5
typed_scale

# --- digitizing ---------------------------------------------------------------
keys_to "$main" F8                           # "Digitalizar Curva"
res=$(window '^Pontos Digitalizados' 10) || true
[ -n "$res" ] || fail "no results window"
xdotool windowmove --sync "$res" 1180 0
xdotool windowsize --sync "$res" 400 465
sleep 0.5
tap 7 0
tap 8 0
tap 11 9.2
tap 11 9.2 2                                 # the overflow button
tap 15 8
tap 15.5 1                                   # a drop of 7 mm: an overflow by itself
tap 16.5 3.2
tap 17 3
tap 18 3.5
keys_to "$main" ctrl+f                       # "Sinalizar Falha" on the last point
sleep 0.3
tap 18 3.5 2                                 # refused on a failure (a beep), the mark kept
tap 20 1
tap 21 1
tap 22 2.2
tap 22 2.2 2                                 # under 5 mm: the program asks
ask=$(window '^Confirma' 10) || true
[ -n "$ask" ] || fail "no question about a gauge emptied by hand"
xdotool windowfocus --sync "$ask"
sleep 0.2
xdotool key alt+s                            # "&Sim"
gone '^Confirma' || fail "the question stayed open"
sleep 0.3
tap 24 1
tap 26 7
tap 26 7 2
tap 28 8
tap 31 8.5

# The return point of the last overflow (the 16th point) chosen in the
# results window's first column (its rows are 20 pixels apart, below the menu,
# the tabs and the header), and deleted by its key at once.
eval "$(xdotool getwindowgeometry --shell "$res")"
gx=$((X + 7)) gy=$((Y + 68 + 20 * 15 + 10))
xdotool mousemove --sync "$gx" "$gy" click 1
sleep 0.5
keys_to "$res" ctrl+Delete
sleep 0.5
keys_to "$main" ctrl+F8 ctrl+s               # "Finalizar Digitalização", "Salvar"
for _ in $(seq 1 30); do
    [ -f "$chart" ] && break
    sleep 0.2
done
[ -f "$chart" ] || fail "no file $chart after saving"
sleep 0.3
shot digitized

# --- the saved chart ------------------------------------------------------------
chart_check=$("$cli" info "$chart" | python3 -c '
import json, sys
d = json.load(sys.stdin)
items = d["curve"]["items"]
problems = []
near = lambda i, t: min(range(len(items)), key=lambda k: abs(items[k]["t"] - t))
if len(items) != 17: problems.append("%d points" % len(items))
if d["peaks"] != 3 or d["failures"] != 1: problems.append("%d peaks, %d failures" % (d["peaks"], d["failures"]))
if abs(d["sum"] - 31.4) > 0.3: problems.append("day sum %.2f" % d["sum"])
if abs(d["header"]["total"] - 10.7) > 0.2: problems.append("Total %.2f (the last stretch)" % d["header"]["total"])
f = items[near(items, 18)]
if f["mark"] != 2: problems.append("the failure point has mark %d" % f["mark"])
e = near(items, 22)
if items[e]["mark"] != 1 or items[e + 1]["p"] != 0 or abs(items[e + 2]["acc"] - 3.2) > 0.2:
    problems.append("emptying not carried: %s %s %s" % (items[e], items[e + 1], items[e + 2]))
k = near(items, 26)
if items[k]["p"] < 6 or items[k]["mark"] != 0 or abs(items[k + 1]["t"] - 28) > 0.1 or abs(items[k + 1]["acc"] - 10.2) > 0.2:
    problems.append("deleted return: %s %s" % (items[k], items[k + 1]))
if problems: print("; ".join(problems)); sys.exit(1)
# The reading at which the record goes on after the failure fell at no known time.
print("%.2f %.2f" % (d["sum"], d["sum"] - items[near(items, 20)]["p"]))
') || fail "saved chart: $chart_check"
read -r day timed <<<"$chart_check"

# The folder listing: the day's sum with "±", not the last stretch's Total.
row=$("$cli" scan "$tmp/data" | tr -d '\r' | grep '^12345678-20240314.pvd' || true)
listed=$(cut -f3 <<<"$row")
python3 -c "import sys; s = sys.argv[1]; sys.exit(not (s.startswith('±') and abs(float(s[1:]) - $day) < 0.051))" \
    "$listed" || fail "the listing shows \"$listed\" for a day of $day mm"

# A series adds up to the day's sum, the reading after the failure aside (its
# time is unknown), and keeps the decline at 17 h: at 5 and 60 minutes.
for step in 5 60; do
    "$cli" series "$chart" --step $step | python3 -c '
import csv, sys
rows = list(csv.reader(sys.stdin))[1:]
total = sum(float(r[2]) for r in rows if r[2])  # empty: no record (the failure)
sys.exit(abs(total - float(sys.argv[1])) > 0.05 and print("%.2f" % total) is None)
' "$timed" || fail "the $step-minute series does not add up to $timed mm (day $day mm)"
done

# The maxima over the failure are lower bounds, with the rain on both sides.
maxima=$("$cli" maxima "$chart" | python3 -c '
import csv, sys
rows = {int(r[1]): r for r in list(csv.reader(sys.stdin))[1:]}
r12 = rows.get(720)
problems = []
# Every 12 hours cross the failure; the most holds the 20.7 mm before it, far above the last stretch.
if not r12 or r12[5] != "sim" or float(r12[2]) < 19: problems.append("12 h: %s" % r12)
if rows.get(5, [""] * 6)[5] != "não": problems.append("5 min: %s" % rows.get(5))
if problems: print("; ".join(problems)); sys.exit(1)
print("%s mm in 12 h" % r12[2])
') || fail "maxima: $maxima"
annual=$("$cli" maxima --annual "$tmp/data" 2>/dev/null | python3 -c '
import csv, sys
rows = [r for r in list(csv.reader(sys.stdin))[1:] if r[2] == "2024" and r[3] == "720"]
sys.exit(not (len(rows) == 1 and rows[0][7] == "sim"))
' && echo ok || true)
[ "$annual" = ok ] || fail "the annual 12-hour maximum of 2024 is not flagged as a lower bound"

# --- the folder summaries on the data folder ------------------------------------
keys_to "$main" ctrl+r                       # "Apresentar Resumos..."
exp=$(window '^Resumos dos arquivos de dados' 10) || true
[ -n "$exp" ] || fail "no summaries window"
xdotool windowmove --sync "$exp" 100 100
xdotool windowfocus --sync "$exp"
sleep 0.3
xdotool type --delay 20 "$tmp/data"          # the folder box has the focus
xdotool key Return
sleep 1.5
shot summaries
copied=
if command -v xclip >/dev/null; then
    eval "$(xdotool getwindowgeometry --shell "$exp")"
    xdotool mousemove --sync $((X + 200)) $((Y + 70)) click 1   # the listing
    sleep 0.3
    keys_to "$exp" ctrl+c                    # "Copiar Listagem..."
    sleep 0.5
    copied=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r' | grep '^12345678-20240314.pvd' | cut -f3 || true)
    [ "$copied" = "$listed" ] || fail "the summaries window copies \"$copied\" for the chart, the listing says \"$listed\""
fi

file_menu r r Return                         # "Sai&r" (after "Apresentar &Resumos...")
wait_quit

# --- what is on disk -------------------------------------------------------------
left=$(cd "$tmp/data" && find . -type f | sort | tr '\n' ' ')
# The chart digitized on the scan remembers it beside itself (NAME.scan.json).
[ "$left" = "./12345678/12345678-20220610.pvd ./12345678/12345678-20240314.pvd ./12345678/12345678-20240314.scan.json ./12345678/notas.txt " ] ||
    fail "data files: $left"
[ "$(cd "$tmp/data" && md5sum ./12345678/12345678-20220610.pvd ./12345678/notas.txt)" = \
  "$(grep -v 20240314 <<<"$before")" ] || fail "a file of the data folder changed"
echo "totals-smoke: ok (3 picos, 1 falha, day ±$day mm in the listing${copied:+ and the summaries window}, not the last stretch; series add up; maxima over the failure flagged ($maxima), annual too; emptying carried forward; other files kept)"
