#!/usr/bin/env bash
# Runs the test command N times in a row, each time from a fresh clone of
# this repository's committed HEAD, as a new developer or CI would:
#   scripts/test-repeat.sh N [--load] [--no-ccache]
#     --load       a CPU-bound process runs beside every run, the whole time
#                  (stress-ng --cpu 1, from Debian; installed when missing)
#     --no-ccache  compile everything every time (CCACHE_DISABLE=1), as on a
#                  fresh machine; otherwise ccache is warm after the first run
# Prints each run's stages with their wall times and its result, then one
# line per run. Exits non-zero when any run failed; the failed run's clone
# and its build-logs/ are kept and named.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

runs=${1:-}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: scripts/test-repeat.sh N [--load] [--no-ccache]" >&2
    exit 2
fi
shift
load=0
for a in "$@"; do
    case $a in
    --load) load=1 ;;
    --no-ccache) export CCACHE_DISABLE=1 ;;
    *)
        echo "test-repeat.sh: unknown option $a" >&2
        exit 2
        ;;
    esac
done

if [ $load = 1 ] && ! command -v stress-ng >/dev/null; then
    . scripts/setup.sh
    darvo_packages=()
    darvo_install_missing stress-ng
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/darvo-repeat.XXXXXX")
stress=
cleanup() {
    [ -n "$stress" ] && kill "$stress" 2>/dev/null
    true
}
trap cleanup EXIT
if [ $load = 1 ]; then
    # Its own process group, at the tests' own priority.
    setsid stress-ng --cpu 1 --quiet &
    stress=$!
fi

echo "test-repeat: $runs run(s) of ./scripts/test.sh from fresh clones of $(git rev-parse --short HEAD)," \
    "$( [ $load = 1 ] && echo "with stress-ng --cpu 1 beside them" || echo "nothing beside them"),"\
    "$( [ -n "${CCACHE_DISABLE:-}" ] && echo "ccache off" || echo "ccache on"); $(nproc) cores"
results=()
failed=0
for i in $(seq 1 "$runs"); do
    clone="$work/run-$i"
    git clone -q "$root" "$clone"
    start=$SECONDS
    "$clone/scripts/test.sh" >"$work/run-$i.log" 2>&1
    status=$?
    took=$((SECONDS - start))
    echo "== run $i: $([ $status = 0 ] && echo green || echo "RED (exit $status)"), $took s"
    # The stage table (test.sh's last lines), or the stages as far as they went.
    if [ $status = 0 ]; then
        sed -n '/^Every stage passed/,$p' "$work/run-$i.log" | tail -n +2
        rm -rf "$clone"
    else
        grep -E '^(==|   [^ ].*: [0-9]+ s$|test.sh: )' "$work/run-$i.log"
        echo "   kept: $clone (its build-logs/) and $work/run-$i.log"
        failed=1
    fi
    results+=("run $i: $([ $status = 0 ] && echo green || echo red), $took s")
done
echo
echo "test-repeat: summary"
printf '  %s\n' "${results[@]}"
[ $failed = 0 ] && rm -rf "$work"
exit $failed
