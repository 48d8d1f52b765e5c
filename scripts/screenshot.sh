#!/usr/bin/env bash
# Takes a picture of the main window connected to an emulated PEXA printer,
# under a virtual display, and saves it as docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
darvo_install_missing
out="${1:-docs/screenshot.png}"
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
unset DISPLAY WAYLAND_DISPLAY
xvfb-run -a -s "-screen 0 1024x768x24" scripts/run.sh --state-dir "$state" --screenshot "$out" </dev/null
echo "Saved $out"
