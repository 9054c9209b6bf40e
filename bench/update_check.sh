#!/usr/bin/env bash
# The cost of the update's checks under Wine: size and SHA-256 of a downloaded file and
# the manifest's signature check (bench/update_check_win.cpp).
# Usage: bench/update_check.sh [megabytes, default 5] [rounds, default 20]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh" win update_check_bench >/dev/null
source "$root/scripts/wine-env.sh"
ravo_ensure_prefix
unset DISPLAY
cd "$root/build/win"
wine ./update_check_bench.exe "${1:-5}" "${2:-20}" > update_check.txt 2>&1 </dev/null || true
cat update_check.txt
