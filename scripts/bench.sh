#!/usr/bin/env bash
# Builds in release mode and runs the benchmarks (benchmarks/), then writes
# docs/performance.md and docs/performance.svg. No serial hardware needed:
# everything runs against pseudo-terminals. About two minutes on 2 cores.
#   ./scripts/bench.sh [extra Google Benchmark options, e.g. --benchmark_filter=Exchange]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/setup.sh
darvo_install_missing "${darvo_bench_packages[@]}"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B build-bench -DCMAKE_BUILD_TYPE=Release -DDARVO_BUILD_TESTS=OFF \
    -DDARVO_BUILD_BENCHMARKS=ON "${launcher[@]}" >/dev/null
cmake --build build-bench -j 2 --target darvo_bench darvo-sim darvo-service nivrasw

results=build-bench/bench-results.json
export QT_QPA_PLATFORM=offscreen
build-bench/benchmarks/darvo_bench --benchmark_counters_tabular=true \
    --benchmark_out="$results" --benchmark_out_format=json "$@"
/usr/bin/python3 -I benchmarks/report.py "$results" benchmarks/before.json docs/performance.md docs/performance.svg
echo "Written: docs/performance.md, docs/performance.svg"
