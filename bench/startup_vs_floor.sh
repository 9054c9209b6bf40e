#!/usr/bin/env bash
# Start-up against its floor: the tool and the smallest program that shows a window of
# the same size (tools/floor_window.cpp), started alternately in one run under Wine in an
# Xvfb of our own, each timed from its process's start to its visible window
# (bench/startup_vs_floor_win.cpp). Nothing listens on the build's update host port, so
# the update check at start-up ends refused; it never holds the window back in any case.
# Prints every start, min/median/max of each program and the ratio of the medians.
#
# Usage: bench/startup_vs_floor.sh [starts of each, default 15]
# RAVO_WIN_BUILD=<folder> measures an existing Windows build instead of building build/win.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
starts="${1:-15}"
build="${RAVO_WIN_BUILD:-$root/build/win}"
port=18611
[ -n "${RAVO_WIN_BUILD:-}" ] ||
  bash "$root/scripts/build.sh" win ravo_subtitler floor_window startup_vs_floor_bench >/dev/null
if ss -Hlnt "sport = :$port" | grep -q .; then
  echo "127.0.0.1:$port is taken; the update host address of the build is needed free" >&2
  exit 1
fi
export RAVO_WINEPREFIX="${RAVO_WINEPREFIX:-$root/build/wineprefix-bench}"
source "$root/scripts/wine-env.sh"
ravo_ensure_prefix
work="$(mktemp -d)"
cleanup() {
  ravo_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
ravo_start_xvfb
# A wineserver that outlives each start (and ends by itself half a minute after the
# last): each start then costs what it costs a user whose Wine is already up.
wineserver -p30 2>/dev/null || true  # one may be up already (scripts/at-dpi.sh)
cp "$build/RavoSubtitler.exe" "$build/floor_window.exe" "$build/startup_vs_floor_bench.exe" "$work/"
cd "$work"
echo "start-up to the visible main window, $starts alternated starts of each"
wine startup_vs_floor_bench.exe 'RavoSubtitler.exe' 'floor_window.exe' "$starts" > result.txt 2>&1 </dev/null || {
  cat result.txt
  exit 1
}
cat result.txt
