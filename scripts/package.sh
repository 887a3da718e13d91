#!/usr/bin/env bash
# Builds the Debian package of Vexa (vexa, vexactl, vexa-sim, icons, desktop entry, udev rule,
# manual pages, copyright and changelog) in build-package/ and prints the path of the .deb as
# its last line. tests/package/test-installed-package.sh checks it, lintian among the checks.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build-package -DCMAKE_BUILD_TYPE=Release -DVEXA_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr
(cd build-package && cpack -G DEB >&2)
deb=$(ls -t build-package/vexa_*.deb | head -n1)
echo "$(pwd)/$deb"
