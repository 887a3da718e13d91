#!/usr/bin/env bash
# Runs every benchmark of the project and writes a short table (benchmark, figure, ratio,
# target) to stdout and to build/bench-results.md, with the date, the machine and its load.
#   - the Google Benchmark programs in build/bench/ (dispatcher, start-up read-back on a hidden
#     window, upload, restore, vexactl);
#   - the programs measured from outside (vexa_bench_program): start-up to the first frame and
#     the read-back with the window shown, offscreen and under Xvfb; peak memory; idle CPU;
#     CPU and memory while streaming live data with the plot window open.
# Installs what it needs (Xvfb among it) through scripts/install-deps.sh --bench. Takes about
# twelve minutes; run it on a quiet machine, the figures are ratios but a busy machine bends them.
# Usage: scripts/bench.sh [--quick]   (--quick: fewer runs, for trying the script)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=15
[ "${1:-}" = "--quick" ] && runs=3
bash scripts/install-deps.sh --bench
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
work="$(mktemp -d)"
trap 'kill "${xvfb_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
rows="$work/rows"
: >"$rows"
load_before="$(cut -d' ' -f1-3 /proc/loadavg)"

# One Google Benchmark program; its JSON goes to $work/<name>.json.
gbench() {
  local name="$1"
  shift
  echo "== $name" >&2
  "build/bench/$name" --benchmark_out="$work/$name.json" --benchmark_out_format=json "$@" >&2
}

gbench vexa_bench_dispatcher
gbench vexa_bench_startup
gbench vexa_bench_upload
gbench vexa_bench_restore
gbench vexa_bench_vexactl

# The figures of the Google Benchmark programs as table rows.
python3 - "$work" >>"$rows" <<'EOF'
import json, sys, os
work = sys.argv[1]
class Results:
    """A program's benchmarks by name; a name also finds its runs with options appended
    ("Upload65535/paced115200/iterations:3/manual_time")."""
    def __init__(self, name):
        with open(os.path.join(work, name + ".json")) as f:
            self.runs = json.load(f)["benchmarks"]
    def __getitem__(self, name):
        for run in self.runs:
            if run["name"] == name or run["name"].startswith(name + "/"):
                return run
        raise KeyError(name)
    def get(self, name):
        try:
            return self[name]
        except KeyError:
            return None
def results(name):
    return Results(name)
def row(benchmark, figure, ratio, target):
    print("ROW\t%s\t%s\t%s\t%s" % (benchmark, figure, "%.2f×" % ratio if ratio else "-", target))
d = results("vexa_bench_dispatcher")
chain = d["BM_ReadBackChain"]
# Rate counters given inverted are seconds per item.
row("dispatcher: one read-back reply (in-memory line)", "%.0f ns" % (chain["ns_per_reply"] * 1e9),
    None, "—")
stream, live = d.get("BM_StreamInModeZero"), d.get("BM_StreamInLiveMode")
if stream and live:
    row("dispatcher: a 38-byte event of a stream in mode 0, against live mode",
        "%.0f ns (live mode %.0f ns)" % (stream["ns_per_event"] * 1e9, live["ns_per_event"] * 1e9),
        stream["ns_per_event"] / live["ns_per_event"], "≤ 1.00×")
s = results("vexa_bench_startup")
paced = s["StartupReadBack/paced115200"]
row("read-back on a hidden window, refresh to last reply", "%.1f ms (floor 55.3 ms)" % paced["real_time"],
    paced["floor_ratio"], "≤ 1.25×")
u = results("vexa_bench_upload")["Upload65535/paced115200"]
row("upload of 65535 bytes through the window", "%.2f s (floor 13.05 s), longest stall %.0f ms"
    % (u["real_time"], u["stall_ms"]), u["floor_ratio"], "≤ 1.05×")
r = results("vexa_bench_restore")["Restore/paced115200"]
row("restore of a parameter file", "%.0f ms (floor %.0f ms)" % (r["real_time"], r["floor_ms"]),
    r["floor_ratio"], "≤ 1.02×")
v = results("vexa_bench_vexactl")
rp, rs, fp = v["VexactlRead/process"], v["VexactlRead/session"], v["VexactlFlash/process"]
row("vexactl read, start to exit", "%.1f ms (of which start %.1f ms; floor 55.3 ms)"
    % (rp["real_time"], rp["start_ms"]), rp["floor_ratio"], "≤ 1.25×")
row("vexactl read, session", "%.1f ms (floor 55.3 ms)" % rs["real_time"], rs["floor_ratio"], "≤ 1.25×")
row("vexactl flash of 65535 bytes, start to exit", "%.2f s (floor 13.11 s)" % (fp["real_time"] / 1000),
    fp["floor_ratio"], "≤ 1.05×")
EOF

echo "== vexa_bench_program (offscreen)" >&2
build/bench/vexa_bench_program startup readback memory idle --runs "$runs" | tee "$work/program.txt" >&2
grep '^ROW' "$work/program.txt" >>"$rows"

# Streaming live data with the plot window open: CPU share and memory growth over two minutes each.
echo "== vexa_bench_program stream (offscreen)" >&2
build/bench/vexa_bench_program stream --seconds 120 | tee "$work/stream.txt" >&2
grep '^ROW' "$work/stream.txt" >>"$rows"

# The same start-up and read-back under a virtual X server.
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
echo "== vexa_bench_program (Xvfb $display)" >&2
DISPLAY="$display" QT_QPA_PLATFORM=xcb build/bench/vexa_bench_program startup readback \
  --runs "$runs" | tee "$work/program-xvfb.txt" >&2
grep '^ROW' "$work/program-xvfb.txt" >>"$rows"

load_after="$(cut -d' ' -f1-3 /proc/loadavg)"
cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
{
  echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) × $cpu, $(awk '/MemTotal/ {printf "%.0f GB", $2/1048576}' /proc/meminfo) RAM,"
  echo "load average $load_before before and $load_after after (\`scripts/bench.sh\`)."
  echo
  echo "| benchmark | figure | ratio | target |"
  echo "|---|---|---|---|"
  awk -F'\t' '{printf "| %s | %s | %s | %s |\n", $2, $3, $4, $5}' "$rows"
} | tee build/bench-results.md
