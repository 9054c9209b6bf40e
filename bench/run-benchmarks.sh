#!/usr/bin/env bash
# Builds the native benchmarks (Release, GCC) in build/native-bench and runs them.
# Extra arguments go to the benchmark binary, e.g. --benchmark_filter=ParseLrc.
# RAVO_BENCH_CXX overrides the C++ compiler (default g++).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/native-bench"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_COMPILER="${RAVO_BENCH_CXX:-g++}" -DCMAKE_C_COMPILER=gcc >/dev/null
cmake --build "$build" --target native_bench -j"$(nproc)"
"$build/native_bench" "$@"
