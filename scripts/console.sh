#!/usr/bin/env bash
# Runs darvo-service with its web console against an emulated printer:
#   scripts/console.sh [--port 8787] [--allow-origin ORIGIN]...
#
# Sets up a fresh Debian 12 machine when needed (packages, configure, build),
# starts darvo-sim (a PEXA printer) and darvo-service on 127.0.0.1 with a
# token of every role, and prints the console's address and the tokens:
# open the address in a browser and sign in with one of them. A browser
# till's page of another origin may call the service once its origin is
# given with --allow-origin (http://localhost:3000, say). The printer's state
# and paper roll are kept in ${XDG_STATE_HOME:-$HOME/.local/state}/darvo/console.
# Ctrl+C stops both.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
port=8787
origins=()
while [ $# -gt 0 ]; do
    case "$1" in
    --port)
        port=${2:?--port needs a number}
        shift 2
        ;;
    --allow-origin)
        origins+=(--allow-origin "${2:?--allow-origin needs an origin such as http://localhost:3000}")
        shift 2
        ;;
    -h | --help)
        sed -n '2,12s/^# \{0,1\}//p' "$0"
        exit 0
        ;;
    *)
        echo "console.sh: unknown option $1 (see --help)" >&2
        exit 2
        ;;
    esac
done

. scripts/setup.sh
darvo_install_missing
build="${DARVO_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 --target darvo-service darvo-sim

state="${XDG_STATE_HOME:-$HOME/.local/state}/darvo/console"
mkdir -p "$state"
tokens="$state/tokens"
if [ ! -f "$tokens" ]; then
    umask 077
    for role in monitor pos owner technician; do
        echo "$role $role-$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')"
    done >"$tokens"
fi
chmod 600 "$tokens"

"$build/sim/darvo-sim" --link "$state/printer" --state "$state/printer.state" --roll "$state/roll.txt" \
    --print-time 800 </dev/null >/dev/null &
sim=$!
trap 'kill $sim $service 2>/dev/null || true' EXIT INT TERM
for _ in $(seq 50); do [ -e "$state/printer" ] && break; sleep 0.1; done
"$build/service/darvo-service" --listen "127.0.0.1:$port" --printer "till=$state/printer" \
    --journal "$state/journal.db" --tokens "$tokens" --web-root "$root/service/web" "${origins[@]}" &
service=$!

echo
echo "The console: http://127.0.0.1:$port/  (sign in with a token)"
sed 's/^/  /' "$tokens"
echo "The printer's paper roll: $state/roll.txt (darvo-roll shows it)"
echo "Ctrl+C stops the service and the printer."
wait $service
