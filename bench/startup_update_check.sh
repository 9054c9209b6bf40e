#!/usr/bin/env bash
# What the update check at start-up costs: the time from starting the program to its
# main window on the screen, with the update host of the build (127.0.0.1:18611)
#   - answering "no update" (the stand-in host; the baseline: Wine's start and ours),
#   - refusing (nothing listens on the port),
#   - silent (the stand-in host in --silent mode: it accepts and never answers, so the
#     page fetch waits for its receive time-out).
# Prints min/median/max milliseconds per case.
#
# Usage: bench/startup_update_check.sh [repeats, default 3]
# RAVO_WIN_BUILD=<folder> measures an existing Windows build instead of building build/win.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
repeats="${1:-3}"
build="${RAVO_WIN_BUILD:-$root/build/win}"
port=18611
[ -n "${RAVO_WIN_BUILD:-}" ] || bash "$root/scripts/build.sh" win >/dev/null
export RAVO_WINEPREFIX="${RAVO_WINEPREFIX:-$root/build/wineprefix-bench}"
source "$root/scripts/wine-env.sh"
ravo_ensure_prefix

if ss -Hlnt "sport = :$port" | grep -q .; then
  echo "127.0.0.1:$port is taken; the update host address of the build is needed free" >&2
  exit 1
fi

work="$(mktemp -d)"
host=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$host" ] && kill "$host" 2>/dev/null
  ravo_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
ravo_start_xvfb
# A wineserver that outlives each start (and ends by itself half a minute after the
# last): each start then costs what it costs a user whose Wine is already up.
wineserver -p30
cp "$build/RavoSubtitler.exe" "$work/"
cd "$work"

start_host() { # options of the stand-in host
  rm -f "$work/ready"
  python3 "$root/tools/update_host.py" --port "$port" --ready-file "$work/ready" --lifetime 600 "$@" \
    >/dev/null 2>&1 &
  host=$!
  for _ in $(seq 1 100); do [ -f "$work/ready" ] && return 0; sleep 0.05; done
  echo "the stand-in host did not start" >&2
  exit 1
}
stop_host() {
  if [ -n "$host" ]; then
    kill "$host" 2>/dev/null || true
    wait "$host" 2>/dev/null || true
  fi
  host=""
}

one_start() { # prints the milliseconds until the main window is visible
  local t0 t1
  t0=$(date +%s%N)
  wine RavoSubtitler.exe >/dev/null 2>&1 &
  pid=$!
  while ! xdotool search --onlyvisible --name "Ravo字幕器v3.5" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended without a main window" >&2; exit 1; }
    sleep 0.02
  done
  t1=$(date +%s%N)
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null || true
  pid=""
  echo $(((t1 - t0) / 1000000))
}

measure() { # label
  local all=()
  one_start >/dev/null  # the first start fills Wine's caches
  for _ in $(seq 1 "$repeats"); do all+=("$(one_start)"); done
  printf '%-34s %s\n' "$1" "$(printf '%s\n' "${all[@]}" | sort -n |
    awk '{ v[NR] = $1 } END { printf "min %5d  median %5d  max %5d ms", v[1], v[int((NR + 1) / 2)], v[NR] }')"
}

echo "start-up to main window, $repeats starts each (update host 127.0.0.1:$port)"
start_host
measure "stand-in host, no update"
stop_host
measure "refused (nothing listening)"
start_host --silent
measure "silent (accepts, never answers)"
stop_host
