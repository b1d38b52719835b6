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

if [ "${1:-}" != "--inside" ]; then
    for tool in xvfb-run xdotool convert import python3; do
        if ! command -v "$tool" >/dev/null; then
            echo "road-smoke: skipped ($tool not installed)"
            exit 0
        fi
    done
    build=${1:-${RS_BUILD_DIR:-build}}
    for exe in rainscribe rainscribe-cli; do
        if [ ! -x "$build/src/app/$exe" ]; then
            echo "road-smoke: FAILED ($build/src/app/$exe not built)"
            exit 1
        fi
    done
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    # The program keeps its settings beside itself: a copy of its own keeps them out of the build.
    mkdir -p "$tmp/app" "$tmp/config" "$tmp/home" "$tmp/data"
    cp "$build/src/app/rainscribe" "$build/src/app/rainscribe-cli" "$tmp/app/"
    status=0
    timeout 150 xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" --inside "$tmp" >"$tmp/log" 2>&1 || status=$?
    result=$(grep '^road-smoke:' "$tmp/log" | tail -1 || true)
    if [ "$status" -ne 0 ] || [ -z "$result" ] || [ "${result#road-smoke: ok}" = "$result" ]; then
        cat "$tmp/log" >&2
        echo "${result:-road-smoke: FAILED (exit $status)}"
        exit 1
    fi
    echo "$result"
    exit 0
fi

# --- inside the X server ------------------------------------------------------
tmp=$2
[ -n "${RS_SMOKE_TRACE:-}" ] && set -x
export XDG_CONFIG_HOME="$tmp/config" HOME="$tmp/home" LC_ALL=C.UTF-8
cli="$tmp/app/rainscribe-cli"
ini="$tmp/app/rainscribe.ini"
chart="$tmp/data/12345678/12345678-20240311.pvd"
pid=

fail()
{
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        echo "window $w: $(xdotool getwindowname "$w" 2>/dev/null)"
    done
    shot failure
    echo "road-smoke: FAILED ($*)"
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    exit 1
}

shot()
{
    if [ -n "${RS_SMOKE_SHOTS:-}" ]; then
        mkdir -p "$RS_SMOKE_SHOTS"
        import -window root "$RS_SMOKE_SHOTS/$1.png" || true
    fi
}

# The window whose name matches, once it is mapped.
window()
{
    timeout "${2:-20}" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}

# Waits until no visible window matches.
gone()
{
    for _ in $(seq 1 100); do
        [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
        sleep 0.1
    done
    return 1
}

keys_to()
{
    local w=$1
    shift
    xdotool windowfocus --sync "$w"
    sleep 0.2
    xdotool key --delay 80 "$@"
}

# Opens the main window's "&Arquivo" menu and types the given keys in it. The
# menu is clicked: Alt+A is also the access key of "&Ajuda".
file_menu()
{
    local x y
    eval "$(xdotool getwindowgeometry --shell "$main")"
    x=$((X + 30)) y=$((Y + 8))
    xdotool windowfocus --sync "$main"
    xdotool mousemove --sync "$x" "$y" click 1
    sleep 0.6
    xdotool key --delay 250 "$@"
}

# --- the scanned chart: a 24 x 10 inch picture at 100 dpi ---------------------
# Hour t at x = 120 + 90 (t - 7), reading p mm at y = 850 - 60 p; a red and a
# green registration square let the script find the picture on the screen.
ix() { python3 -c "print(round(120 + 90 * ($1 - 7)))"; }
iy() { python3 -c "print(round(850 - 60 * ($1)))"; }
image="$tmp/carta.png"
{
    grid=()
    for h in $(seq 0 24); do
        x=$((120 + 90 * h))
        grid+=(-stroke '#c89a5a' -strokewidth 2 -draw "line $x,190 $x,910")
        lab=$(( (7 + h) % 24 ))
        grid+=(-stroke none -fill '#9a6a30' -draw "text $((x - 10)),950 '$lab'")
        if [ "$h" -lt 24 ]; then
            for m in 1 2 3 4 5; do
                xm=$((x + 15 * m))
                grid+=(-stroke '#e6cfa8' -strokewidth 1 -draw "line $xm,190 $xm,910")
            done
        fi
    done
    for p in $(seq -1 11); do
        y=$((850 - 60 * p))
        grid+=(-stroke '#c89a5a' -strokewidth 2 -draw "line 120,$y 2280,$y")
        if [ "$p" -ge 0 ] && [ "$p" -le 10 ]; then
            grid+=(-stroke none -fill '#9a6a30' -draw "text 80,$((y + 8)) '$p'")
        fi
    done
    # The pen's trace, one segment after the other.
    curve=()
    last=
    for tp in "7 0" "9 4" "11 9.2" "11.02 0" "13 2" "15 8" "15.5 1" "30 2.5" "31 2.5"; do
        set -- $tp
        here="$(ix "$1"),$(iy "$2")"
        [ -n "$last" ] && curve+=(-draw "line $last $here")
        last=$here
    done
    convert -size 2400x1000 xc:'#f2ecdc' -seed 7 -attenuate 0.25 +noise Gaussian \
        -font DejaVu-Sans -pointsize 22 "${grid[@]}" \
        -stroke none -fill '#7a5a30' -pointsize 28 -draw "text 900,120 'PLUVIÓGRAFO - 24 HORAS - 10 mm'" \
        -fill none -stroke '#1d3f8f' -strokewidth 4 "${curve[@]}" \
        -stroke none -fill '#ff0000' -draw "rectangle 20,20 70,70" \
        -fill '#00ff00' -draw "rectangle 2330,930 2380,980" \
        -units PixelsPerInch -density 100 "$image"
} || fail "the chart picture could not be made"

cat >"$ini" <<EOF
[Pasta de Dados Recentes]
1=$tmp/data
[Mesa Virtual]
Aberta=1
Imagem=$image
EOF

"$tmp/app/rainscribe" -ns &
pid=$!
main=$(window '^Rain Scribe$') || true
[ -n "$main" ] || fail "the main window did not appear"
vt=$(window '^Mesa Virtual') || true
[ -n "$vt" ] || fail "the virtual tablet did not open"
xdotool windowmove --sync "$vt" 0 360
xdotool windowsize --sync "$vt" 1600 640
sleep 1.5

# --- find the picture on the screen by its registration squares ---------------
import -window root "$tmp/screen.png"
box()
{
    convert "$tmp/screen.png" -fuzz 20% -fill black +opaque "$1" -fill white -opaque "$1" -format '%@' info:
}
map=$(python3 - "$(box '#ff0000')" "$(box '#00ff00')" <<'EOF'
import re, sys
def centre(b):
    w, h, x, y = map(int, re.match(r"(\d+)x(\d+)\+(\d+)\+(\d+)", b).groups())
    return x + w / 2, y + h / 2
(rx, ry), (gx, gy) = centre(sys.argv[1]), centre(sys.argv[2])
kx, ky = (gx - rx) / (2355 - 45), (gy - ry) / (955 - 45)
if not (0.2 < kx < 2 and abs(kx - ky) < 0.02):
    sys.exit(1)
print(rx - 45 * kx, ry - 45 * ky, kx, ky)
EOF
) || fail "the chart picture is not on the virtual tablet"
read -r ox oy kx ky <<<"$map"

# Screen position of chart value (t, p) on the picture.
at()
{
    python3 -c "print(round($ox + $kx * (120 + 90 * ($1 - 7))), round($oy + $ky * (850 - 60 * ($2))))"
}

# A click of tablet button b (mouse button: 1 insert, 3 overflow) at chart value (t, p).
tap()
{
    read -r sx sy <<<"$(at "$1" "$2")"
    xdotool mousemove --sync "$sx" "$sy"
    sleep 0.15
    xdotool click "${3:-1}"
    sleep 0.25
}

# --- new chart ----------------------------------------------------------------
keys_to "$main" ctrl+n
dlg=$(window '^Propriedades do Novo Pluviograma') || true
[ -n "$dlg" ] || fail "no properties dialog"
xdotool windowfocus --sync "$dlg"
sleep 0.3
xdotool type --delay 40 "Vale do Rio"        # the station name has the focus
xdotool key --delay 80 alt+e
xdotool type --delay 40 "12345678"
xdotool key --delay 80 alt+c Home
xdotool type --delay 40 "11032024"
xdotool key --delay 80 alt+l
xdotool type --delay 40 "20"
xdotool key Return
gone '^Propriedades do Novo Pluviograma' || fail "the properties dialog did not close"
sleep 0.5

# --- the scale: five points with typed coordinates ----------------------------
keys_to "$main" F3
dlg=$(window '^Defini.*o de Escala') || true
[ -n "$dlg" ] || fail "no scale dialog"
keys_to "$dlg" alt+m Return
gone '^Defini.*o de Escala' || fail "the scale dialog did not close"
sleep 0.5
n=0
for point in "8 0|8 0" "14 5|14/5" "20 10|20;10" "26 2|2 2" "30.5 8|6.5 8"; do
    n=$((n + 1))
    tap ${point%%|*}
    coord=$(window "^Coordenadas do Ponto $n( |\$)" 10) || true
    [ -n "$coord" ] || fail "no coordinate dialog for point $n"
    xdotool windowfocus --sync "$coord"
    sleep 0.2
    xdotool type --delay 40 "${point#*|}"
    sleep 0.7                                # the preview marker shows after half a second
    xdotool key Return
    gone "^Coordenadas do Ponto $n( |\$)" || fail "the coordinate dialog of point $n stayed open"
done
keys_to "$main" ctrl+F3                      # "Concluir Escala"
sleep 0.5

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
for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then fail "the program did not quit"; fi
wait "$pid" 2>/dev/null || true
pid=
recent=$(python3 - "$ini" "$chart" <<'EOF'
import sys
text = open(sys.argv[1], encoding="latin-1").read().replace("\r", "")
section = text.split("[Arquivos Recentes]\n", 1)[1].split("\n[", 1)[0] if "[Arquivos Recentes]\n" in text else ""
print("ok" if "1=" + sys.argv[2] in section.split("\n") else "missing")
EOF
)
[ "$recent" = ok ] || fail "the chart is not the first recent file in the settings file"
echo "road-smoke: ok (new chart, straight 7 h scale from 5 typed points, digitized and saved: $first; reopened from the recent files and saved again: $again)"
