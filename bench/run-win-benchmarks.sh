#!/usr/bin/env bash
# Builds the Windows build and runs the benchmarks that need Windows under Wine, in an
# Xvfb of their own: the playback drift into the stand-in chat client, then the cadence of
# the scroller and the billboard, then the following of the stand-in music player.
# Usage: bench/run-win-benchmarks.sh [seconds of generated lyric, default 60]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh" win >/dev/null
source "$root/scripts/wine-env.sh"
ravo_ensure_prefix
ravo_start_xvfb
trap ravo_stop_xvfb EXIT
cd "$root/build/win"
wine ./playback_drift_bench.exe "${1:-60}" > drift.txt 2>&1 </dev/null || true
cat drift.txt
wine ./ticker_cadence_bench.exe > cadence.txt 2>&1 </dev/null || true
cat cadence.txt
wine ./player_follow_bench.exe > follow.txt 2>&1 </dev/null || true
cat follow.txt
