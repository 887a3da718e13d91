#!/usr/bin/env bash
# Builds Vexa with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize/ and runs
# the whole test suite there. A finding fails the test that met it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$(pwd)" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_SANITIZE=ON \
  "${launcher[@]}" >/dev/null
cmake --build build-sanitize --parallel "$(nproc)"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-sanitize --output-on-failure --parallel "$(nproc)" "$@"
