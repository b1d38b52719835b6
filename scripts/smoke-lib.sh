# What the smoke runs under Xvfb share (sourced, not run): the run outside the
# X server (a copy of the program in a temporary folder with a private
# configuration, one result line), and inside it the waits for windows, keys
# and menus, the scanned chart on the virtual tablet and clicks on its picture.
#
# A script sets SMOKE (its name in the result line) before sourcing this file.

# --- outside the X server -----------------------------------------------------
# smoke_outside SCRIPT SECONDS BUILD_DIR TOOL...: skips without a tool, runs
# SCRIPT --inside TMP under xvfb-run and prints its result line; exits.
smoke_outside()
{
    local script=$1 limit=$2 build=$3
    shift 3
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "$SMOKE: skipped ($tool not installed)"
            exit 0
        fi
    done
    local exe
    for exe in rainscribe rainscribe-cli; do
        if [ ! -x "$build/src/app/$exe" ]; then
            echo "$SMOKE: FAILED ($build/src/app/$exe not built)"
            exit 1
        fi
    done
    SMOKE_TMP=$(mktemp -d)
    # RS_SMOKE_KEEP=1 keeps the folder (the program, its settings, the data) for a look afterwards.
    if [ -n "${RS_SMOKE_KEEP:-}" ]; then
        echo "$SMOKE: files in $SMOKE_TMP" >&2
    else
        trap 'rm -rf "$SMOKE_TMP"' EXIT
    fi
    # The program keeps its settings beside itself: a copy of its own keeps them out of the build.
    mkdir -p "$SMOKE_TMP/app" "$SMOKE_TMP/config" "$SMOKE_TMP/home" "$SMOKE_TMP/data"
    cp "$build/src/app/rainscribe" "$build/src/app/rainscribe-cli" "$SMOKE_TMP/app/"
    local status=0 result
    timeout "$limit" xvfb-run -a -s "-screen 0 1600x1000x24" bash "$script" --inside "$SMOKE_TMP" \
        >"$SMOKE_TMP/log" 2>&1 || status=$?
    result=$(grep "^$SMOKE:" "$SMOKE_TMP/log" | tail -1 || true)
    if [ "$status" -ne 0 ] || [ -z "$result" ] || [ "${result#"$SMOKE: ok"}" = "$result" ]; then
        cat "$SMOKE_TMP/log" >&2
        echo "${result:-$SMOKE: FAILED (exit $status)}"
        exit 1
    fi
    echo "$result"
    exit 0
}

# --- inside the X server --------------------------------------------------------
# smoke_inside TMP: the private environment, and tmp, cli, ini for the script.
smoke_inside()
{
    tmp=$1
    if [ -n "${RS_SMOKE_TRACE:-}" ]; then
        PS4='+ $SECONDS '
        set -x
    fi
    export XDG_CONFIG_HOME="$tmp/config" HOME="$tmp/home" LC_ALL=C.UTF-8
    cli="$tmp/app/rainscribe-cli"
    ini="$tmp/app/rainscribe.ini"
    pid=
    main=
}

fail()
{
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        echo "window $w: $(xdotool getwindowname "$w" 2>/dev/null)"
    done
    shot failure
    echo "$SMOKE: FAILED ($*)"
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    exit 1
}

shot()
{
    if [ -n "${RS_SMOKE_SHOTS:-}" ] && command -v import >/dev/null; then
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
    local x y X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$main")"
    x=$((X + 30)) y=$((Y + 8))
    xdotool windowfocus --sync "$main"
    xdotool mousemove --sync "$x" "$y" click 1
    sleep 0.6
    xdotool key --delay 250 "$@"
}

# Starts the program; main and vt are its main window and the virtual tablet,
# placed at the bottom of the screen.
start_program()
{
    "$tmp/app/rainscribe" -ns &
    pid=$!
    main=$(window '^Rain Scribe$') || true
    [ -n "$main" ] || fail "the main window did not appear"
    vt=$(window '^Mesa Virtual') || true
    [ -n "$vt" ] || fail "the virtual tablet did not open"
}

# Waits for the program to end after "Sai&r".
wait_quit()
{
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then fail "the program did not quit"; fi
    wait "$pid" 2>/dev/null || true
    pid=
}

# new_chart NAME DATE [GAUGE]: "&Novo Pluviograma..." for station 12345678, a
# straight 7 h chart (the dialog's defaults); the dialog is left to close.
new_chart()
{
    keys_to "$main" ctrl+n
    local dlg
    dlg=$(window '^Propriedades do Novo Pluviograma') || true
    [ -n "$dlg" ] || fail "no properties dialog"
    xdotool windowfocus --sync "$dlg"
    sleep 0.3
    xdotool type --delay 40 "$1"                 # the station name has the focus
    xdotool key --delay 80 alt+e
    xdotool type --delay 40 "12345678"
    xdotool key --delay 80 alt+c Home
    xdotool type --delay 40 "$2"
    if [ -n "${3:-}" ]; then
        xdotool key --delay 80 alt+l
        xdotool type --delay 40 "$3"
    fi
    xdotool key Return
}

# --- the scanned chart: a 24 x 10 inch picture at 100 dpi ---------------------
# Hour t at x = 120 + 90 (t - 7), reading p mm at y = 850 - 60 p; a red and a
# green registration square let the script find the picture on the screen.
# chart_picture FILE "t p"...: the picture with the pen's trace through the points.
chart_picture()
{
    local image=$1
    shift
    local grid=() curve=() last= here h x lab m xm p y tp
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
    for here in $(printf '%s\n' "$@" | awk '{ printf "%d,%d\n", 120 + 90 * ($1 - 7) + 0.5, 850 - 60 * $2 + 0.5 }'); do
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
}

# Finds the picture on the screen by its registration squares: ox oy kx ky.
find_picture()
{
    import -window root "$tmp/screen.png"
    local red green map
    red=$(convert "$tmp/screen.png" -fuzz 20% -fill black +opaque '#ff0000' -fill white -opaque '#ff0000' -format '%@' info:)
    green=$(convert "$tmp/screen.png" -fuzz 20% -fill black +opaque '#00ff00' -fill white -opaque '#00ff00' -format '%@' info:)
    map=$(python3 - "$red" "$green" <<'EOF'
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
}

# Screen position of chart value (t, p) on the picture.
at()
{
    awk -v t="$1" -v p="$2" -v ox="$ox" -v oy="$oy" -v kx="$kx" -v ky="$ky" \
        'BEGIN { printf "%d %d\n", ox + kx * (120 + 90 * (t - 7)) + 0.5, oy + ky * (850 - 60 * p) + 0.5 }'
}

# A click at chart value (t, p) with mouse button b: 1 inserts, 2 (the middle) is the
# tablet's overflow button.
tap()
{
    local sx sy
    read -r sx sy <<<"$(at "$1" "$2")"
    # A move to where the pointer already is sends no event for --sync to wait for.
    if [ "$(xdotool getmouselocation | cut -d' ' -f1-2)" != "x:$sx y:$sy" ]; then
        xdotool mousemove --sync "$sx" "$sy"
    fi
    sleep 0.15
    xdotool click "${3:-1}"
    sleep 0.25
}

# The scale of a straight 7 h chart from five points of the picture, their
# coordinates typed in every form the coordinate dialog reads; concluded.
typed_scale()
{
    keys_to "$main" F3
    local dlg coord n=0 point
    dlg=$(window '^Defini.*o de Escala') || true
    [ -n "$dlg" ] || fail "no scale dialog"
    keys_to "$dlg" alt+m Return
    gone '^Defini.*o de Escala' || fail "the scale dialog did not close"
    sleep 0.5
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
}
