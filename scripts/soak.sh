#!/usr/bin/env bash
# Soak test of the driver against the emulated printer:
#   scripts/soak.sh                 10 000 receipts with 1 % random faults, then 1 000 session opens and closes
#   scripts/soak.sh --minutes M     receipts for M minutes instead (test.sh runs one minute)
# Prints resident memory after warm-up and at the end (it must stay within
# 1 MiB), open descriptors and threads (unchanged), and the receipts the
# program counted against those on the printer's paper roll (every one
# exactly once). Exits non-zero when any of that fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/setup.sh
darvo_install_missing

args=(--receipts 10000 --cycles 1000 --fault-rate 0.01)
if [ "${1:-}" = "--minutes" ]; then
    minutes=${2:?--minutes needs a number}
    args=(--seconds $((60 * minutes - 10)) --cycles 1000 --fault-rate 0.01)
fi
build_dir="${DARVO_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j 2 --target darvo-soak darvo-sim
"$build_dir/tests/darvo-soak" "$build_dir/sim/darvo-sim" "${args[@]}"
