#!/usr/bin/env bash
# Configures and builds both builds: build/native (Linux, GCC; the fuzzer with clang) and
# build/win (MinGW-w64, i686).
# Usage: scripts/build.sh [native|win|all] [target...]   (targets: only those, in the chosen build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
what="${1:-all}"
shift || true
targets=()
for t in "$@"; do targets+=(--target "$t"); done
jobs="$(nproc)"

if [ "$what" = all ] || [ "$what" = native ]; then
  cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
  cmake --build "$root/build/native" -j"$jobs" "${targets[@]}"
fi
if [ "$what" = all ] || [ "$what" = win ]; then
  cmake -S "$root" -B "$root/build/win" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$root/build/win" -j"$jobs" "${targets[@]}"
fi
