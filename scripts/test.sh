#!/usr/bin/env bash
# Builds Vexa and runs the whole test suite (unit, dialog and end-to-end) through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
ctest --test-dir build --output-on-failure --parallel "$(nproc)" "$@"
