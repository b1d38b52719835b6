#!/usr/bin/env python3
"""The benchmark report: reads the JSON files of the benchmark programs
(--benchmark_out) and prints one table of the figures against their targets.
Exit status 1 when a figure misses its target or a benchmark is missing.

    bench_report.py OUT_DIR      (OUT_DIR/<program>.json, e.g. core.json)
"""
import json
import os
import sys

# The targets, in one place. kind "time": the benchmark's real time in ms
# below the limit; kind "cpu": its processor time (for a figure whose wall
# time is mostly the disk's own flush, which the program waits for but does
# not spend); kind "ratio": its time over the baseline's, measured in the same
# run, at most the limit; kind "counter:NAME": a counter the benchmark
# reports, below the limit; kind "value": a figure measured by a script (its
# "value" and "unit") below the limit.
TARGETS = [
    # (figure, program, benchmark, kind, limit, baseline)
    ("save of a 10,000-point chart (CPU)", "core", "BM_SaveToFile", "cpu", 1.0, None),
    ("full repaint, 2,000 points at zoom 10", "drawing", "BM_FullRepaintZoom10/2000", "time", 50.0, None),
    ("32-pixel scroll strip at zoom 10", "drawing", "BM_ScrollStripZoom10", "time", 5.0, None),
    ("open a 10,000-point file into a window", "drawing", "BM_OpenLargeFile/10000", "time", 200.0, None),
    ("add a point to a 2,000-point curve", "digitize", "BM_AddPointTo2000", "time", 10.0, None),
    ("ReadSummary, 10,000 files", "core", "BM_ReadSummary10k", "ratio", 1.5, "BM_PlainRead512x10k"),
    ("folder scan, 20,000 files", "scan", "BM_ScanArchive", "time", 2000.0, None),
    ("folder scan, 20,000 files", "scan", "BM_ScanArchive", "ratio", 1.5, "BM_PlainReadArchive"),
    ("undo and redo of a step, 2,000 points", "history", "BM_UndoRedoOn2000", "time", 10.0, None),
    ("history of 10,000 steps, 2,000 points (MB)", "history", "BM_History10kStepsOn2000/iterations:1", "counter:MB", 50.0, None),
    ("tablet packet to cursor move", "tablet", "BM_TabletCursorMove", "time", 2.0, None),
    ('start-up to an idle main window, "-ns"', "startup", "BM_StartupNoSplash/iterations:5/manual_time", "time", 500.0, None),
    # scripts/bench_batch.sh: 200 generated charts at 200 dpi, --jobs 2 (>= 100 charts a minute).
    ("batch: time per chart, --jobs 2", "batch", "BM_BatchMsPerChart", "value", 600.0, None),
    ("batch: peak memory per job", "batch", "BM_BatchPeakMemoryPerJob", "value", 300.0, None),
    ("batch: share of charts to review", "batch", "BM_BatchReviewShare", "value", 15.0, None),
]

TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def load(out_dir):
    runs = {}
    for f in sorted(os.listdir(out_dir)):
        if not f.endswith(".json"):
            continue
        program = f[: -len(".json")]
        try:
            with open(os.path.join(out_dir, f), encoding="utf-8") as fh:
                data = json.load(fh)
        except (OSError, ValueError) as e:
            print(f"bench_report: {f}: {e}", file=sys.stderr)
            continue
        for b in data.get("benchmarks", []):
            if b.get("run_type", "iteration") != "iteration" or b.get("error_occurred"):
                continue
            runs[(program, b["name"])] = b
    return runs


def ms(run):
    return run["real_time"] * TO_MS[run.get("time_unit", "ns")]


def fmt_ms(v):
    return f"{v:.4g} ms" if v >= 0.001 else f"{v * 1e6:.3g} ns"


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    runs = load(sys.argv[1])
    rows, failed, used = [], False, set()
    for figure, program, name, kind, limit, base in TARGETS:
        run = runs.get((program, name))
        used.add((program, name))
        if kind.startswith("counter:"):
            counter = kind.split(":", 1)[1]
            target = f"< {limit:g} {counter}"
            if run is None or counter not in run:
                rows.append((figure, target, "missing", "", "FAIL"))
                failed = True
                continue
            v = float(run[counter])
            ok = v < limit
            rows.append((figure, target, f"{v:.3g} {counter}", f"{fmt_ms(ms(run))}", "ok" if ok else "FAIL"))
        elif kind == "value":
            target = f"< {limit:g} " + (run["unit"] if run else "")
            if run is None:
                rows.append((figure, target, "missing", "", "FAIL"))
                failed = True
                continue
            ok = run["value"] < limit
            rows.append((figure, target, f"{run['value']:.4g} {run['unit']}", run.get("detail", ""),
                         "ok" if ok else "FAIL"))
        elif kind in ("time", "cpu"):
            target = f"< {fmt_ms(limit)}"
            if run is None:
                rows.append((figure, target, "missing", "", "FAIL"))
                failed = True
                continue
            cpu = run["cpu_time"] * TO_MS[run.get("time_unit", "ns")]
            v = ms(run) if kind == "time" else cpu
            ok = v < limit
            extra = f"cpu {fmt_ms(cpu)}" if kind == "time" else f"wall {fmt_ms(ms(run))}"
            rows.append((figure, target, fmt_ms(v), extra, "ok" if ok else "FAIL"))
        else:
            target = f"<= {limit:.2f} x plain read"
            b = runs.get((program, base))
            used.add((program, base))
            if run is None or b is None:
                rows.append((figure, target, "missing", "", "FAIL"))
                failed = True
                continue
            ratio = ms(run) / ms(b)
            ok = ratio <= limit
            rows.append((figure, target, f"{ratio:.2f} x", f"{fmt_ms(ms(run))} / {fmt_ms(ms(b))}",
                         "ok" if ok else "FAIL"))
        failed = failed or not ok
    # Everything else measured, for the record.
    for (program, name), run in sorted(runs.items()):
        if (program, name) not in used:
            rows.append((f"{program}: {name}", "-", fmt_ms(ms(run)), "", "-"))

    head = ("figure", "target", "measured", "detail", "")
    widths = [max(len(str(r[i])) for r in rows + [head]) for i in range(5)]
    line = "  ".join("{:<%d}" % w for w in widths)
    print()
    print(line.format(*head).rstrip())
    print("  ".join("-" * w for w in widths))
    for r in rows:
        print(line.format(*r).rstrip())
    print()
    print("benchmarks: " + ("FAIL" if failed else "ok"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
