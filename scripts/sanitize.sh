#!/usr/bin/env bash
# Builds Vexa with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize/ and runs
# the whole test suite there. A finding fails the test that met it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build-sanitize -DVEXA_SANITIZE=ON
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-sanitize --output-on-failure --parallel "$(nproc)" "$@"
