#!/usr/bin/env bash
# Runs the user program against an emulated printer:
#   scripts/run.sh [--model N] [--speed 9600|19200|28800] [--state-dir DIR] [--screenshot FILE]
#
# Sets up a fresh Debian 12 machine when needed (packages, configure, build),
# starts darvo-sim (a PEXA printer unless --model says otherwise) on a
# pseudo-terminal mapped to COM1 and opens "nivrasw COM1 <speed>" connected
# to it, with the paper roll (darvo-roll) beside it showing what the printer
# prints. The printer's state and paper roll are kept between runs in
# ${XDG_STATE_HOME:-$HOME/.local/state}/darvo (one set per model). While the
# program runs, lines typed here go to the printer ("paper out", "help", ...).
# Closing the program stops the printer. The program runs in the directory
# run.sh was started from (its files, such as "baza.txt" or "hourglas.ani",
# are looked for there), and relative paths given here are taken from it.
set -euo pipefail
caller=$(pwd)
cd "$(dirname "$0")/.."
root=$(pwd)

arguments="$*"
model=7
speed=9600
state_dir="${XDG_STATE_HOME:-$HOME/.local/state}/darvo"
screenshot=""
build_dir="${DARVO_BUILD_DIR:-$root/build}"

usage() {
    sed -n '2,14s/^# \{0,1\}//p' "$root/scripts/run.sh"
    echo "  --model N        0 KT820A 5-rate, 1 KT820A 7-rate, 2 NIVRA 1st gen., 3 NIVRA 2nd gen.,"
    echo "                   4 KT820B 5-rate, 5 KT820B 7-rate, 6 NIVRA F, 7 PEXA (default), 8 PEXA F, 9 other"
    echo "  --speed S        line speed (default 9600)"
    echo "  --state-dir DIR  where the printer's state and paper roll are kept"
    echo "  --screenshot F   save a picture of the connected main window to F and quit"
}

while [ $# -gt 0 ]; do
    case "$1" in
    --model)
        model=${2:?--model needs a number 0..9}
        shift 2
        ;;
    --speed)
        speed=${2:?--speed needs 9600, 19200 or 28800}
        shift 2
        ;;
    --state-dir)
        state_dir=${2:?--state-dir needs a directory}
        shift 2
        ;;
    --screenshot)
        screenshot=${2:?--screenshot needs a file name}
        shift 2
        ;;
    -h | --help)
        usage
        exit 0
        ;;
    *)
        echo "run.sh: unknown option $1 (see --help)" >&2
        exit 2
        ;;
    esac
done
# Relative to where run.sh was started, not to the source tree.
case "$state_dir" in /*) ;; *) state_dir="$caller/$state_dir" ;; esac
case "$screenshot" in "" | /*) ;; *) screenshot="$caller/$screenshot" ;; esac
case "$model" in [0-9]) ;; *) echo "run.sh: --model takes 0..9" >&2; exit 2 ;; esac
case "$speed" in 9600 | 19200 | 28800) ;; *) echo "run.sh: --speed takes 9600, 19200 or 28800" >&2; exit 2 ;; esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: no display (\$DISPLAY and \$WAYLAND_DISPLAY are empty); to run it on a virtual one: xvfb-run -a scripts/run.sh${arguments:+ $arguments} (xvfb-run comes with the package xvfb)" >&2
    exit 1
fi

. scripts/setup.sh
darvo_install_missing

cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDARVO_BUILD_APP=ON >/dev/null
cmake --build "$build_dir" -j 2 --target nivrasw darvo-sim darvo-roll darvo
sim="$build_dir/sim/darvo-sim"
program="$build_dir/app/nivrasw"
roll_viewer="$build_dir/roll/darvo-roll"

mkdir -p "$state_dir"
roll="$state_dir/roll-model$model.txt"
sim_args=(--model "$model" --link "$state_dir/com1-$$" --roll "$roll")
sim_help=$("$sim" --help)
if [[ "$sim_help" == *--state* ]]; then
    sim_args+=(--state "$state_dir/printer-model$model.state")
fi

work=$(mktemp -d)
sim_pid=""
forward_pid=""
roll_pid=""
# Runs to its end whatever has already gone (the forwarder ends by itself
# once the printer has), so the program's exit status is the script's.
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    if [ -n "$forward_pid" ]; then
        kill "$forward_pid" 2>/dev/null || true
    fi
    if [ -n "$roll_pid" ]; then
        kill "$roll_pid" 2>/dev/null || true
    fi
    rm -f "$state_dir/com1-$$"
    rm -rf "$work"
}
trap cleanup EXIT

# The printer prints its line's path first, then answers the lines typed here.
mkfifo "$work/sim.out"
if [ -t 0 ]; then
    "$sim" "${sim_args[@]}" <&0 >"$work/sim.out" &
else
    "$sim" "${sim_args[@]}" </dev/null >"$work/sim.out" &
fi
sim_pid=$!
exec 3<"$work/sim.out"
if ! read -r line <&3; then
    echo "run.sh: the emulated printer did not start" >&2
    exit 1
fi
cat <&3 &
forward_pid=$!
exec 3<&-

echo "Printer (model $model) on $line as COM1; its state is kept in $state_dir"
[ -t 0 ] && echo "Type printer commands here (help lists them); close the program to stop."
echo "From another shell: DARVO_COM1=$state_dir/com1-$$ $build_dir/cli/darvo --port COM1 status"
export DARVO_COM1="$state_dir/com1-$$"
cd "$caller"
if [ -z "$screenshot" ]; then
    "$roll_viewer" "$roll" </dev/null &
    roll_pid=$!
fi
if [ -n "$screenshot" ]; then
    mkdir -p "$(dirname "$screenshot")"
    NIVRASW_SCREENSHOT="$screenshot" "$program" COM1 "$speed"
else
    "$program" COM1 "$speed"
fi
