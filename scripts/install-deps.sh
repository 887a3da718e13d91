#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Vexa need; with --fuzz also
# what the fuzzing harness needs, with --bench what the benchmarks need.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-serialport-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  dpkg-dev fakeroot help2man desktop-file-utils man-db appstream bash-completion
  # The package's icons are rendered from their SVG drawing; lintian checks the package.
  librsvg2-bin lintian
  fonts-wqy-microhei
  # Qt's own texts (standard buttons and dialogs) in Chinese.
  qt6-translations-l10n
  # The screen-fit tests render the window under a virtual X server.
  xvfb xauth
)

# The fuzzing harness (scripts/fuzz.sh, --fuzz) needs clang and its libFuzzer runtime.
if [ "${1:-}" = "--fuzz" ]; then
  PACKAGES+=(clang libclang-rt-dev)
fi
# The benchmarks (scripts/bench.sh, --bench) run the window under a virtual X server and read
# Google Benchmark's JSON with Python.
if [ "${1:-}" = "--bench" ]; then
  PACKAGES+=(xvfb python3)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
