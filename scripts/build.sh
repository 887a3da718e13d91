#!/usr/bin/env bash
# Installs what is missing, then configures and builds Vexa.
# Usage: scripts/build.sh [BUILD_DIR [CMAKE_OPTION...]]   (default: build/, RelWithDebInfo)
# BUILD_TARGET=name builds one target only. The build's output goes to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift $(($# > 0 ? 1 : 0))
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null 2>&1; then
  # Object files are shared between checkouts: paths below the checkout are hashed relatively
  # and the checkout's own folder is not part of the hash.
  export CCACHE_BASEDIR="$(pwd)" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)" ${BUILD_TARGET:+--target "$BUILD_TARGET"} >&2
