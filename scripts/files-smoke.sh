#!/usr/bin/env bash
# Files never lost, under a virtual X server with real mouse and key events:
# a chart is saved; a new chart made under the same name ("&Sim" to replace)
# has its date corrected before its first save, and the other chart's file
# stays; the saved chart's date is changed, then only its station name, and
# once saved no copy remains under its old name; the scale prompt and the
# statistics window are brought up, and "Sai&r" with them and the virtual
# tablet open ends the program, which writes its settings file on the way.
# Afterwards every file that should exist exists with its content, and no
# other file was removed.
#
#   bash scripts/files-smoke.sh [BUILD_DIR]     (default: $RS_BUILD_DIR or build)
#
# Prints one result line; exit 0 on success (also "skipped" without xvfb-run,
# xdotool or python3). RS_SMOKE_TRACE=1 traces.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--inside" ]; then
    for tool in xvfb-run xdotool python3 md5sum; do
        if ! command -v "$tool" >/dev/null; then
            echo "files-smoke: skipped ($tool not installed)"
            exit 0
        fi
    done
    build=${1:-${RS_BUILD_DIR:-build}}
    for exe in rainscribe rainscribe-cli; do
        if [ ! -x "$build/src/app/$exe" ]; then
            echo "files-smoke: FAILED ($build/src/app/$exe not built)"
            exit 1
        fi
    done
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    # The program keeps its settings beside itself: a copy of its own keeps them out of the build.
    mkdir -p "$tmp/app" "$tmp/config" "$tmp/home" "$tmp/data"
    cp "$build/src/app/rainscribe" "$build/src/app/rainscribe-cli" "$tmp/app/"
    status=0
    timeout 120 xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" --inside "$tmp" >"$tmp/log" 2>&1 || status=$?
    result=$(grep '^files-smoke:' "$tmp/log" | tail -1 || true)
    if [ "$status" -ne 0 ] || [ -z "$result" ] || [ "${result#files-smoke: ok}" = "$result" ]; then
        cat "$tmp/log" >&2
        echo "${result:-files-smoke: FAILED (exit $status)}"
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
b="$tmp/data/12345678/12345678-20240311.pvd"   # another chart's file
c="$tmp/data/12345678/12345678-20240312.pvd"
d="$tmp/data/12345678/12345678-20240313.pvd"
pid=

fail()
{
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        echo "window $w: $(xdotool getwindowname "$w" 2>/dev/null)"
    done
    shot failure
    echo "files-smoke: FAILED ($*)"
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


# The station name field has the focus when the properties dialog opens.
props()
{
    local title=$1 name=$2 date=$3
    local dlg
    dlg=$(window "$title") || true
    [ -n "$dlg" ] || fail "no dialog $title"
    xdotool windowfocus --sync "$dlg"
    sleep 0.3
    if [ -n "$name" ]; then
        xdotool key ctrl+a
        xdotool type --delay 40 "$name"
    fi
    if [ -n "$date" ]; then
        xdotool key --delay 80 alt+c Home
        xdotool type --delay 40 "$date"
    fi
    xdotool key Return
}

new_chart()
{
    keys_to "$main" ctrl+n
    local dlg
    dlg=$(window '^Propriedades do Novo Pluviograma') || true
    [ -n "$dlg" ] || fail "no properties dialog"
    xdotool windowfocus --sync "$dlg"
    sleep 0.3
    xdotool type --delay 40 "$1"
    xdotool key --delay 80 alt+e
    xdotool type --delay 40 "12345678"
    xdotool key --delay 80 alt+c Home
    xdotool type --delay 40 "$2"
    xdotool key Return
}

edit_props()
{
    keys_to "$main" alt+Return
    props '^Propriedades do Pluviograma' "$1" "$2"
    gone '^Propriedades do Pluviograma' || fail "the properties dialog did not close"
    sleep 0.3
}

save()
{
    keys_to "$main" ctrl+s
    for _ in $(seq 1 30); do
        [ -f "$1" ] && break
        sleep 0.2
    done
    [ -f "$1" ] || fail "no file $1 after saving"
    sleep 0.3
}

name_of()
{
    "$tmp/app/rainscribe-cli" info "$1" |
        python3 -c 'import json,sys; h=json.load(sys.stdin)["header"]; print(h["st_name"], h["date_text"])'
}
sum_of() { md5sum "$1" | cut -d' ' -f1; }

printf '[Pasta de Dados Recentes]\n1=%s\n[Mesa Virtual]\nAberta=1\n' "$tmp/data" >"$ini"
printf 'Cinco\r\n 8.0   0.0\r\n14.0   5.0\r\n20.0  10.0\r\n26.0   2.0\r\n30.5   8.0\r\n  -1    -1\r\n' \
    >"$tmp/app/PontosDef.txt"
sets=$(sum_of "$tmp/app/PontosDef.txt")

"$tmp/app/rainscribe" -ns &
pid=$!
main=$(window '^Rain Scribe$') || true
[ -n "$main" ] || fail "the main window did not appear"
vt=$(window '^Mesa Virtual') || true
[ -n "$vt" ] || fail "the virtual tablet did not open"
xdotool windowmove --sync "$vt" 0 520
sleep 0.5

# --- another chart's file ---------------------------------------------------------
new_chart "Posto Antigo" 11032024
gone '^Propriedades do Novo Pluviograma' || fail "the properties dialog did not close"
save "$b"
theirs=$(sum_of "$b")
file_menu f                                  # "&Fechar"
sleep 0.5

# --- a new chart under that name, its date corrected before the first save --------
new_chart "Posto Novo" 11032024
ask=$(window '^Confirma' 10) || true
[ -n "$ask" ] || fail "no confirmation that the file exists"
xdotool windowfocus --sync "$ask"
sleep 0.2
xdotool key Return                           # "&Sim"
gone '^Propriedades do Novo Pluviograma' || fail "the properties dialog did not close"
sleep 0.3
edit_props "" 12032024
save "$c"
[ -f "$b" ] && [ "$(sum_of "$b")" = "$theirs" ] || fail "the other chart's file was removed or changed"
[ "$(name_of "$c")" = "Posto Novo 12/03/2024" ] || fail "saved chart: $(name_of "$c")"

# --- date changed, then only the station name: no copy under the old name ---------
edit_props "" 13032024
edit_props "Posto Renomeado" ""
save "$d"
[ ! -f "$c" ] || fail "a copy stayed under the old name $c"
[ "$(name_of "$d")" = "Posto Renomeado 13/03/2024" ] || fail "saved chart: $(name_of "$d")"
[ "$(sum_of "$b")" = "$theirs" ] || fail "the other chart's file changed"

# --- the scale prompt and the statistics up, then "Sai&r" -------------------------
keys_to "$main" F3
dlg=$(window '^Defini.*o de Escala') || true
[ -n "$dlg" ] || fail "no scale dialog"
keys_to "$dlg" Return                        # the predefined set "Cinco"
gone '^Defini.*o de Escala' || fail "the scale dialog did not close"
window '^Estat.*stica da Escala' 10 >/dev/null || fail "no statistics window"
window '^Definindo pontos de controle' 10 >/dev/null || fail "no scale prompt"
file_menu r r Return                         # "Sai&r" (after "Apresentar &Resumos...")
ask=$(window '^Confirma' 10) || true
[ -n "$ask" ] || fail "no question about the unsaved changes"
xdotool windowfocus --sync "$ask"
sleep 0.2
xdotool key alt+n                            # "&Não"
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then fail "the program did not quit"; fi
wait "$pid" 2>/dev/null || true
pid=

# --- what is on disk ----------------------------------------------------------------
left=$(cd "$tmp/data" && find . -type f | sort | tr '\n' ' ')
[ "$left" = "./12345678/12345678-20240311.pvd ./12345678/12345678-20240313.pvd " ] || fail "data files: $left"
[ "$(sum_of "$b")" = "$theirs" ] || fail "the other chart's file changed"
[ "$(sum_of "$tmp/app/PontosDef.txt")" = "$sets" ] || fail "PontosDef.txt changed or was removed"
tr -d '\r' <"$ini" | grep -qx "1=$d" || fail "the settings file was not written at quit"
echo "files-smoke: ok (another chart's file kept, no copy left under an old name, quit with the tool windows and the virtual tablet open, settings written)"
