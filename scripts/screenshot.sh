#!/usr/bin/env bash
# Takes a picture of the main window connected to an emulated PEXA printer,
# under a virtual display, and saves it as docs/screenshot.png.
# A file name given as the argument is taken from the directory the script
# was started from.
set -euo pipefail
out="${1:-}"
case "$out" in "" | /*) ;; *) out="$(pwd)/$out" ;; esac
cd "$(dirname "$0")/.."
out="${out:-$(pwd)/docs/screenshot.png}"
. scripts/setup.sh
darvo_install_missing
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
unset DISPLAY WAYLAND_DISPLAY
xvfb-run -a -s "-screen 0 1024x768x24" scripts/run.sh --state-dir "$state" --screenshot "$out" </dev/null
echo "Saved $out"
