#!/usr/bin/env bash
# Two shards of a batch run under GNU parallel, their reports merged, must give
# the same report and the same charts as one run over the whole manifest; so
# must a run killed after its first chart and started again.
#   batch_shards.sh RAINSCRIBE_CLI CHARTGEN
set -euo pipefail
cli=$1
gen=$2
if ! command -v parallel >/dev/null; then
  echo "skipped: GNU parallel is not installed"
  exit 0
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
echo "image;station;date;hour;curved;ptot;notes" > manifest.csv
kinds=(clean+straight clean+curved clean+straight+red clean+straight)
hours=(7 8 9 7)
for i in 0 1 2 3; do
  curved=0
  [[ ${kinds[$i]} == *curved* ]] && curved=1
  "$gen" -o "scan$i" --seed $((i + 7)) --kind "dpi100+${kinds[$i]}" --hour "${hours[$i]}" > /dev/null
  echo "scan$i.png;0000123$i;0$((i + 1))/03/2014;${hours[$i]};$curved;1,5;\"lote; teste\"" >> manifest.csv
done
echo "missing.png;00001239;10/03/2014;7;0;;" >> manifest.csv

status=0
"$cli" batch manifest.csv --data-folder single --report rep-single --jobs 2 > single.json 2> single.log || status=$?
[ "$status" -le 1 ] || { cat single.log; echo "single run failed ($status)"; exit 1; }
parallel --halt never "$cli" batch manifest.csv --data-folder sharded --report rep-{} --shard {}/2 --jobs 1 \
  '>' shard{}.json '2>' shard{}.log ::: 0 1 || true
"$cli" batch-report rep-0 rep-1 -o rep-merged

# A run killed (SIGKILL) after its first chart and started again ends with the same charts.
"$cli" batch manifest.csv --data-folder killed --jobs 1 > /dev/null 2> killed.log &
pid=$!
for _ in $(seq 1 600); do
  grep -q '^\[1/' killed.log 2>/dev/null && break
  sleep 0.1
done
kill -9 "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
"$cli" batch manifest.csv --data-folder killed --report rep-killed --jobs 2 > /dev/null 2>&1 || true
grep -q "mantido" rep-killed/relatorio.csv || { echo "the resumed run redid the charts already written"; exit 1; }

# The reports without the seconds each chart took.
strip() {
  python3 -c 'import csv,sys
for r in csv.reader(open(sys.argv[1], encoding="utf-8")):
    print(r[:11] + r[12:])' "$1"
}
if ! diff <(strip rep-single/relatorio.csv) <(strip rep-merged/relatorio.csv); then
  echo "merged report differs from the single run's"
  exit 1
fi
rows=$(($(wc -l < rep-merged/relatorio.csv) - 1))
[ "$rows" -eq 5 ] || { echo "expected 5 rows, got $rows"; cat rep-merged/relatorio.csv; exit 1; }
( cd single && find . -name '*.pvd' | sort ) > a.txt
( cd sharded && find . -name '*.pvd' | sort ) > b.txt
diff a.txt b.txt
while read -r f; do cmp "single/$f" "sharded/$f"; cmp "single/$f" "killed/$f"; done < a.txt
grep -q "tra" rep-merged/relatorio.csv
echo "ok: $(wc -l < a.txt) charts, two shards merged equal one run"
