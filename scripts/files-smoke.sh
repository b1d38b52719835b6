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
SMOKE=files-smoke
. scripts/smoke-lib.sh

if [ "${1:-}" != "--inside" ]; then
    smoke_outside "$0" 120 "${1:-${RS_BUILD_DIR:-build}}" xvfb-run xdotool python3 md5sum
fi

# --- inside the X server ------------------------------------------------------
smoke_inside "$2"
b="$tmp/data/12345678/12345678-20240311.pvd"   # another chart's file
c="$tmp/data/12345678/12345678-20240312.pvd"
d="$tmp/data/12345678/12345678-20240313.pvd"

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

start_program
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
wait_quit

# --- what is on disk ----------------------------------------------------------------
left=$(cd "$tmp/data" && find . -type f | sort | tr '\n' ' ')
[ "$left" = "./12345678/12345678-20240311.pvd ./12345678/12345678-20240313.pvd " ] || fail "data files: $left"
[ "$(sum_of "$b")" = "$theirs" ] || fail "the other chart's file changed"
[ "$(sum_of "$tmp/app/PontosDef.txt")" = "$sets" ] || fail "PontosDef.txt changed or was removed"
tr -d '\r' <"$ini" | grep -qx "1=$d" || fail "the settings file was not written at quit"
echo "files-smoke: ok (another chart's file kept, no copy left under an old name, quit with the tool windows and the virtual tablet open, settings written)"
