#!/usr/bin/env bash
# Fuzzes the driver, the emulator and the user program's file readers with
# libFuzzer, under AddressSanitizer and UndefinedBehaviorSanitizer:
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Builds the targets of fuzz/ with clang in build-fuzz (apart from the gcc
# builds) and runs each for SECONDS (default 600; test.sh runs 20) from its
# seed corpus fuzz/corpus/<target>. New inputs go to build-fuzz/corpus/<target>,
# a crashing input to build-fuzz/crashes/<target>-...: fix what it finds and
# add the input to fuzz/corpus/<target>. The targets run side by side, as many
# at once as the machine has cores (DARVO_FUZZ_JOBS sets another number).
# DARVO_FUZZ_BUILD_DIR names another build directory; one configured
# already (test.sh's ASan + UBSan build, which builds the targets along with
# the tests) keeps its configuration.
# Targets: fuzz_exports (the exported functions against the emulator),
# fuzz_sim_decoder (the emulator's command decoder), fuzz_state_file (the
# emulator's state-file reader), fuzz_receipt (the receipt layer's JSON
# reader and checks), fuzz_service_request (darvo-service's request, tokens
# and settings readers), fuzz_names_line ("baza.txt"),
# fuzz_display_bitmap (the display picture), fuzz_user_data_file (the user
# data file).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/setup.sh
darvo_install_missing

seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_exports fuzz_sim_decoder fuzz_state_file fuzz_receipt fuzz_service_request fuzz_names_line fuzz_display_bitmap
    fuzz_user_data_file)
dir="${DARVO_FUZZ_BUILD_DIR:-$root/build-fuzz}"

if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DDARVO_FUZZ=ON -DDARVO_BUILD_APP=OFF -DDARVO_BUILD_TESTS=OFF -DDARVO_SANITIZE="address;undefined" >/dev/null
fi
cmake --build "$dir" -j 2 --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Runs one target; its summary, or its log's end and the fault, as it ends.
fuzz() {
    local target=$1 log="$dir/$1.log"
    mkdir -p "$dir/corpus/$target" "$dir/crashes"
    if "$dir/fuzz/$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$dir/crashes/$target-" "$dir/corpus/$target" "$root/fuzz/corpus/$target" \
        >"$log" 2>&1; then
        echo "== $target, $seconds s: $(grep -E '^(Done|stat::number_of_executed_units)' "$log" | tr '\n' ' ')"
    else
        echo "== $target, $seconds s"
        tail -60 "$log"
        echo "fuzz.sh: $target found a fault (input in $dir/crashes/)" >&2
        return 1
    fi
}
jobs=${DARVO_FUZZ_JOBS:-$(nproc)}
status=0
running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
    fuzz "$target" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done
exit $status
