#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for SECONDS (default 60),
# starting from its seed corpus in fuzz/corpus/<target>/, with inputs of at most 1024 bytes
# (VEXA_FUZZ_MAX_LEN); naming targets runs only those. FUZZ_JOBS=N runs N targets at a time
# (default 1). Flags in fuzz/<target>.options (such as a shorter longest input) are passed to
# that target after the default ones. Prints executions, speed, coverage and findings per
# target; exits non-zero when any target found something. Inputs that made a target fail are
# kept in build-fuzz/findings/<target>/; re-run one with
#   build-fuzz/fuzz/<target> build-fuzz/findings/<target>/crash-...
# Usage: scripts/fuzz.sh [SECONDS [TARGET...]]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift $(($# > 0 ? 1 : 0))
jobs="${FUZZ_JOBS:-1}"
# Longer inputs add little coverage (the state is reset per input) and slow every run down.
max_len="${VEXA_FUZZ_MAX_LEN:-1024}"
bash scripts/install-deps.sh --fuzz
CXX=clang++ BUILD_TARGET=vexa_fuzz bash scripts/build.sh build-fuzz -DVEXA_FUZZ=ON -DVEXA_TESTS=OFF

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

# Runs one target and leaves its row of the table in build-fuzz/<target>.row; the row's last
# field is the number of findings.
run_target() {
  local binary="$1" name work findings log options=() seeds=() result executions speed coverage found
  name="$(basename "$binary")"
  work="build-fuzz/corpus/$name" findings="build-fuzz/findings/$name" log="build-fuzz/$name.log"
  mkdir -p "$work" "$findings"
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  [ -f "fuzz/$name.options" ] && read -r -a options <"fuzz/$name.options"
  set +e
  "$binary" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "${options[@]}" -artifact_prefix="$findings/" "$work" "${seeds[@]}" \
    >"$log" 2>&1
  result=$?
  set -e
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
  coverage="$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)"
  found="$(find "$findings" -type f | wc -l)"
  if [ "$result" -ne 0 ] && [ "$found" -eq 0 ]; then found=1; fi
  printf '%-18s %12s %10s %8s %8s %9s\n' "$name" "${executions:-?}" "${speed:-?}" \
    "$(echo "$coverage" | awk '{print $2}')" "$(echo "$coverage" | awk '{print $4}')" "$found" \
    >"build-fuzz/$name.row"
}

binaries=()
for binary in build-fuzz/fuzz/fuzz_*; do
  [ -f "$binary" ] && [ -x "$binary" ] || continue
  if [ $# -gt 0 ]; then
    wanted=0
    for target in "$@"; do [ "$(basename "$binary")" = "$target" ] && wanted=1; done
    [ "$wanted" -eq 1 ] || continue
  fi
  binaries+=("$binary")
done

running=0
for binary in "${binaries[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
  run_target "$binary" &
  running=$((running + 1))
done
wait

status=0
printf '%-18s %12s %10s %8s %8s %9s\n' target executions exec/s cov features findings
for binary in "${binaries[@]}"; do
  name="$(basename "$binary")"
  row="$(cat "build-fuzz/$name.row")"
  echo "$row"
  if [ "$(echo "$row" | awk '{print $NF}')" != "0" ]; then
    status=1
    tail -40 "build-fuzz/$name.log" >&2
  fi
done
exit "$status"
