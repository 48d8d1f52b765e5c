#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs every test:
#   1. a normal build, all tests;
#   2. the same under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the threaded port layer under ThreadSanitizer;
#   4. a one-minute soak (normal build);
#   5. a bounded run (20 s) of each libFuzzer target, built with clang under
#      ASan + UBSan apart from the gcc builds;
#   6. the Debian packages, made from the normal build and checked.
# No serial hardware is needed: the driver talks to the emulated printer
# over pseudo-terminals.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/setup.sh
darvo_install_missing "${darvo_package_packages[@]}"

jobs=2
export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1

configure_and_build() { # dir, extra cmake arguments...
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

echo "== Build and test"
# Prefix /usr: the packages are made from this build.
configure_and_build build -DCMAKE_INSTALL_PREFIX=/usr
ctest --test-dir build -j "$jobs" --timeout 300

echo "== Soak, one minute"
DARVO_BUILD_DIR="$root/build" scripts/soak.sh --minutes 1

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
configure_and_build build-asan -DDARVO_SANITIZE="address;undefined"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" \
    ctest --test-dir build-asan -j "$jobs" --timeout 600

echo "== ThreadSanitizer (port layer)"
cmake -S "$root" -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDARVO_SANITIZE=thread -DDARVO_BUILD_APP=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target port_tests darvo-sim
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -j "$jobs" --timeout 600 -L '^port$'

echo "== Fuzzing, 20 s per target (clang, ASan + UBSan)"
scripts/fuzz.sh 20

echo "== Packages (from the normal build)"
DARVO_BUILD_DIR="$root/build" scripts/package.sh --check
