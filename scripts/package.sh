#!/usr/bin/env bash
# Builds the Debian package of Vexa (vexa, vexactl, vexa-sim, icon, desktop entry, udev rule,
# manual pages) in build-package/ and prints the path of the .deb as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$(pwd)" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXA_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr "${launcher[@]}" >/dev/null
cmake --build build-package --parallel "$(nproc)" >&2
(cd build-package && cpack -G DEB >&2)
deb=$(ls -t build-package/vexa_*.deb | head -n1)
echo "$(pwd)/$deb"
