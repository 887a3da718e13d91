#!/usr/bin/env bash
# Installs what is missing, then configures and builds Vexa in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null 2>&1; then
  # Object files are shared between checkouts: paths below the checkout are hashed relatively.
  export CCACHE_BASEDIR="$(pwd)" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build --parallel "$(nproc)"
