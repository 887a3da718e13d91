#!/usr/bin/env bash
# Builds Vexa and starts it in demo mode against the built-in simulated controller.
# Without a display it renders the main window to demo.png instead and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  QT_QPA_PLATFORM=offscreen ./build/app/vexa --demo --screenshot demo.png "$@"
  echo "No display: the demo's main window was rendered to $(pwd)/demo.png"
else
  exec ./build/app/vexa --demo "$@"
fi
