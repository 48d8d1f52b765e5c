#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs every test:
#   1. a normal build (gcc), with the benchmarks compiled (not run), and all
#      its tests;
#   2. a one-minute soak and the Debian packages, made from the normal build
#      and checked;
#   3. one clang build under AddressSanitizer + UndefinedBehaviorSanitizer:
#      all tests in it, and a bounded run (20 s) of each libFuzzer target,
#      which that build makes along with the tests;
#   4. the threaded port layer under ThreadSanitizer (a small build of its own).
# The stages that mostly wait (tests, soak, package check) run while the next
# build compiles at a lower priority. Each stage's output goes to a file in
# build-logs/ and is shown when the stage fails; at the end a table gives
# each stage's wall time. No serial hardware is needed: the driver
# talks to the emulated printer over pseudo-terminals.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

jobs=2      # compiler processes: the machine's two cores
test_jobs=4 # test programs at once: most of their time they wait for the printer
export DARVO_TEST_JOBS=$test_jobs # the tests scale their bounds on time by it (tests/TestTime.h)
export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_SLOPPINESS=pch_defines,time_macros # precompiled headers stay cacheable
fi

# The stages' commands.
configure_and_build() { # dir, extra cmake arguments...
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}
sanitizer_build() {
    # A gcc build-asan, left by an older test.sh, starts afresh with clang.
    if [ -f build-asan/CMakeCache.txt ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang' build-asan/CMakeCache.txt; then
        rm -rf build-asan
    fi
    configure_and_build build-asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DDARVO_SANITIZE="address;undefined" -DDARVO_FUZZ=ON
}
sanitizer_tests() {
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" ctest --test-dir build-asan -j "$test_jobs" --timeout 600
}
fuzzing() {
    DARVO_FUZZ_BUILD_DIR="$root/build-asan" scripts/fuzz.sh 20
}
tsan_build() {
    cmake -S "$root" -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" -DDARVO_SANITIZE=thread \
        -DDARVO_BUILD_APP=OFF >/dev/null
    cmake --build build-tsan -j "$jobs" --target port_tests darvo-sim
}
tsan_tests() {
    TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -j "$test_jobs" --timeout 600 -L '^port$'
}
# A background stage runs through this script again, as a program.
# It writes its own wall time to the file $3 when it ends: a stage that is
# waited for long after it has finished still reports its own length.
if [ "${1:-}" = "--run" ]; then
    begun=$SECONDS
    status=0
    "$2" || status=$?
    echo $((SECONDS - begun)) >"$3"
    exit $status
fi

. scripts/setup.sh
darvo_install_missing "${darvo_package_packages[@]}" "${darvo_bench_packages[@]}"
logs="$root/build-logs"
rm -rf "$logs"
mkdir -p "$logs"
declare -A started pids
summary=()
# Background stages end with the script, whichever way it ends.
trap 'for pid in "${pids[@]}"; do kill -- "-$pid" 2>/dev/null || true; done' EXIT

# The file of a stage's output: build-logs/asan-ubsan-build-clang.log and the like.
log() {
    local slug=${1,,}
    slug=${slug//[^a-z0-9]/-}
    while [[ $slug == *--* ]]; do slug=${slug//--/-}; done
    slug=${slug%-}
    echo "$logs/$slug.log"
}
# stage NAME COMMAND...: runs a stage.
stage() {
    local name=$1
    shift
    echo "== $name"
    started[$name]=$SECONDS
    "$@" >"$(log "$name")" 2>&1 || failed "$name"
    ended "$name"
}
# background NAME FUNCTION: starts a stage that keeps the processors busy (a
# build, the fuzzers) at a lower priority, in a process group of its own;
# finish NAME waits for it.
background() {
    echo "== $1 (in the background)"
    started[$1]=$SECONDS
    setsid nice -n 10 "$root/scripts/test.sh" --run "$2" "$(log "$1").took" >"$(log "$1")" 2>&1 &
    pids[$1]=$!
}
finish() {
    wait "${pids[$1]}" || failed "$1"
    unset "pids[$1]"
    ended "$1"
}
ended() {
    local took=$((SECONDS - started[$1]))
    if [ -f "$(log "$1").took" ]; then took=$(cat "$(log "$1").took"); fi
    summary+=("$(printf '%-34s %5d s' "$1" "$took")")
    echo "   $1: $took s"
}
failed() {
    tail -80 "$(log "$1")"
    echo "test.sh: stage \"$1\" failed (its whole output: $(log "$1"))" >&2
    exit 1
}

start=$SECONDS
# Prefix /usr: the packages are made from this build. The benchmarks are
# compiled with it, so that a change that breaks them fails here.
stage "build" configure_and_build build -DCMAKE_INSTALL_PREFIX=/usr -DDARVO_BUILD_BENCHMARKS=ON
background "ASan + UBSan build (clang)" sanitizer_build
stage "tests" ctest --test-dir build -j "$test_jobs" --timeout 300
stage "soak, one minute" env DARVO_BUILD_DIR="$root/build" scripts/soak.sh --minutes 1
stage "packages" env DARVO_BUILD_DIR="$root/build" scripts/package.sh --check
finish "ASan + UBSan build (clang)"
background "fuzzing, 20 s per target" fuzzing
background "ThreadSanitizer build (port layer)" tsan_build
stage "ASan + UBSan tests" sanitizer_tests
finish "fuzzing, 20 s per target"
finish "ThreadSanitizer build (port layer)"
stage "ThreadSanitizer tests (port layer)" tsan_tests

echo
echo "Every stage passed. Wall time of each (a background stage overlaps the stages after it):"
printf '  %s\n' "${summary[@]}"
printf '  %-34s %5d s\n' "all" $((SECONDS - start))
