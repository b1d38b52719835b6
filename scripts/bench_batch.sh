#!/usr/bin/env bash
# Batch throughput: a generated archive of charts of mixed kinds at 200 dpi read by
# `rainscribe-cli batch --jobs 2`. Prints charts per minute, the peak memory per job
# and the share of charts on the review list; with OUT_DIR, also writes them as
# OUT_DIR/batch.json for scripts/bench_report.py.
#   bench_batch.sh [BUILD_DIR] [OUT_DIR]     (RS_BATCH_CHARTS: how many, default 200; RS_BATCH_JOBS, default 2)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
out=${2:-}
n=${RS_BATCH_CHARTS:-200}
jobs=${RS_BATCH_JOBS:-2}
cli=$build/src/app/rainscribe-cli
gen=$build/synth/chartgen
[ -x "$cli" ] && [ -x "$gen" ] || { echo "bench_batch: build $cli and $gen first" >&2; exit 2; }
work=$(mktemp -d)
# RS_BATCH_KEEP=1 keeps the archive, the charts and the report for a look.
if [ -n "${RS_BATCH_KEEP:-}" ]; then echo "bench_batch: working in $work"; else trap 'rm -rf "$work"' EXIT; fi

# The archive: every seed's random features, at 200 dpi; the gauge reading is the truth's sum.
seq 1 "$n" | parallel -j "$jobs" "$gen" -o "$work/scan{}" --seed {} --kind dpi200 '>' /dev/null
python3 - "$work" "$n" > "$work/manifest.csv" <<'PY'
import json, sys
work, n = sys.argv[1], int(sys.argv[2])
print("image,station,date,hour,curved,ptot")
for i in range(1, n + 1):
    t = json.load(open(f"{work}/scan{i}.json"))
    day = (i - 1) % 28 + 1
    month = (i - 1) // 28 % 12 + 1
    year = 2000 + (i - 1) // (28 * 12)
    print(f"scan{i}.png,{10000000 + i % 7},{day:02d}/{month:02d}/{year},{t['hour']},{int(t['curved'])},{t['sum']:.2f}")
PY
/usr/bin/time -f "%M" -o "$work/rss" "$cli" batch "$work/manifest.csv" --data-folder "$work/data" \
  --report "$work/report" --jobs "$jobs" > "$work/result.json" 2> "$work/log" || true
python3 - "$work" "$jobs" "$out" <<'PY'
import json, os, sys
work, jobs, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
r = json.load(open(f"{work}/result.json"))
rss_mb = int(open(f"{work}/rss").read().split()[-1]) / 1024
done = r["done"]
per_min = done * 60 / r["seconds"] if r["seconds"] > 0 else 0
review = 100.0 * r["review"] / done if done else 100.0
print(f"batch: {done} charts ({r['traced']} traced, {r['failed']} failed) in {r['seconds']:.1f} s with --jobs {jobs}: "
      f"{per_min:.1f} charts/min, peak memory {rss_mb:.0f} MB ({rss_mb / jobs:.0f} MB per job), "
      f"review list {r['review']} ({review:.1f} %), load average {os.getloadavg()[0]:.1f}")
if out:
    def fig(name, value, unit, detail):
        return {"name": name, "run_type": "iteration", "value": value, "unit": unit, "detail": detail,
                "real_time": value, "cpu_time": value, "time_unit": "ms"}
    ms = r["seconds"] * 1000 / done if done else 1e9
    json.dump({"benchmarks": [
        fig("BM_BatchMsPerChart", ms, "ms", f"{per_min:.1f} charts/min, {done} charts"),
        fig("BM_BatchPeakMemoryPerJob", rss_mb / jobs, "MB", f"{rss_mb:.0f} MB for {jobs} jobs"),
        fig("BM_BatchReviewShare", review, "%", f"{r['review']} of {done}"),
    ]}, open(os.path.join(out, "batch.json"), "w"))
PY
