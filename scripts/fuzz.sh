#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for SECONDS (default 60),
# starting from its seed corpus in fuzz/corpus/<target>/, with inputs of at most 1024 bytes
# (VEXA_FUZZ_MAX_LEN). Prints executions, speed, coverage and findings per target; exits
# non-zero when any target found something. Inputs that made a target fail are kept in
# build-fuzz/findings/<target>/; re-run one with
#   build-fuzz/fuzz/<target> build-fuzz/findings/<target>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
# Longer inputs add little coverage (the state is reset per input) and slow every run down.
max_len="${VEXA_FUZZ_MAX_LEN:-1024}"
bash scripts/install-deps.sh --fuzz
CXX=clang++ BUILD_TARGET=vexa_fuzz bash scripts/build.sh build-fuzz -DVEXA_FUZZ=ON -DVEXA_TESTS=OFF

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
status=0
printf '%-18s %12s %10s %8s %8s %9s\n' target executions exec/s cov features findings
for binary in build-fuzz/fuzz/fuzz_*; do
  [ -f "$binary" ] && [ -x "$binary" ] || continue
  name="$(basename "$binary")"
  work="build-fuzz/corpus/$name" findings="build-fuzz/findings/$name" log="build-fuzz/$name.log"
  mkdir -p "$work" "$findings"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  set +e
  "$binary" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "${seeds[@]}" >"$log" 2>&1
  result=$?
  set -e
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
  coverage="$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)"
  found="$(find "$findings" -type f | wc -l)"
  if [ "$result" -ne 0 ] && [ "$found" -eq 0 ]; then found=1; fi
  [ "$found" -eq 0 ] || { status=1; tail -40 "$log"; }
  printf '%-18s %12s %10s %8s %8s %9s\n' "$name" "${executions:-?}" "${speed:-?}" \
    "$(echo "$coverage" | awk '{print $2}')" "$(echo "$coverage" | awk '{print $4}')" "$found"
done
exit "$status"
