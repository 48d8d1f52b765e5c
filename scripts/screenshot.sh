#!/usr/bin/env bash
# Takes, under a virtual display, a picture of the main window connected to
# an emulated PEXA printer (docs/screenshot.png) and one of the paper roll
# viewer after the C example's receipt, printed twice (docs/roll.png), and
# one of the web console (docs/console.png, by the browser tests) and of the
# dashboard's queries over a test run (docs/dashboard.png):
#   scripts/screenshot.sh [MAIN.png [ROLL.png]]
# File names given are taken from the directory the script was started from.
set -euo pipefail
out="${1:-}"
roll_out="${2:-}"
case "$out" in "" | /*) ;; *) out="$(pwd)/$out" ;; esac
case "$roll_out" in "" | /*) ;; *) roll_out="$(pwd)/$roll_out" ;; esac
cd "$(dirname "$0")/.."
out="${out:-$(pwd)/docs/screenshot.png}"
roll_out="${roll_out:-$(pwd)/docs/roll.png}"
. scripts/setup.sh
darvo_install_missing
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
unset DISPLAY WAYLAND_DISPLAY
xvfb-run -a -s "-screen 0 1024x768x24" scripts/run.sh --state-dir "$state" --screenshot "$out" </dev/null
echo "Saved $out"

build="${DARVO_BUILD_DIR:-$(pwd)/build}"
cmake --build "$build" -j 2 --target receipt-example darvo-roll darvo-sim >/dev/null
mkfifo "$state/sim.out"
"$build/sim/darvo-sim" --link "$state/printer" --roll "$state/roll.txt" --print-time 1 </dev/null >"$state/sim.out" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true; rm -rf "$state"' EXIT
exec 3<"$state/sim.out"
read -r _ <&3
cat <&3 >/dev/null &
exec 3<&-
for _ in 1 2; do DARVO_COM1="$state/printer" "$build/examples/receipt-example" 1 1 >/dev/null; done
DARVO_ROLL_SCREENSHOT="$roll_out" xvfb-run -a -s "-screen 0 1024x768x24" "$build/roll/darvo-roll" "$state/roll.txt"
echo "Saved $roll_out"

# The web console, from the browser tests (headless Chromium).
cmake --build "$build" -j 2 --target darvo-service darvo-sim >/dev/null
/usr/bin/python3 tests/browser/browser_test.py "$build/sim/darvo-sim" "$build/service/darvo-service" "$(pwd)" \
    "$(pwd)/docs/console.png" Browser.test_the_console
echo "Saved $(pwd)/docs/console.png"

# The dashboard's queries over a minute of a test run, in Prometheus' own
# graphs (Grafana is not in Debian).
/usr/bin/python3 scripts/dashboard-picture.py "$build/sim/darvo-sim" "$build/service/darvo-service" \
    "$(pwd)/docs/dashboard.png"
