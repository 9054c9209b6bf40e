#!/usr/bin/env bash
# What the update check at start-up costs: the time from starting the program to its
# main window on the screen, with the update host of the build (127.0.0.1:18611)
#   - answering "no update" (the stand-in host; the baseline: Wine's start and ours),
#   - refusing (nothing listens on the port),
#   - silent (the stand-in host in --silent mode: it accepts and never answers, so the
#     page fetch waits for its receive time-out),
# and with an update host whose name never resolves: a second build of the program whose
# update host is "ravo-update.invalid:18611" (build/win-unresolved-host), started in a
# mount namespace whose /etc/resolv.conf names only 127.0.0.153, where a listener of ours
# takes every query and never answers. The resolver then waits out its own time-out (set
# to 30 s, one attempt), which no HTTP time-out bounds. Only this script's processes see
# that resolv.conf, and no query leaves the machine. The namespace needs root (as
# scripts/install-deps.sh does); without it that case is left out, saying so.
#
# Prints min/median/max milliseconds per case; a start that shows no main window within
# 60 s counts as 60000.
#
# Usage: bench/startup_update_check.sh [repeats, default 3]
# RAVO_WIN_BUILD=<folder> measures an existing Windows build instead of building build/win
# (the unresolved-name variant is always built from these sources).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
repeats="${1:-3}"
build="${RAVO_WIN_BUILD:-$root/build/win}"
port=18611
unresolved_build="$root/build/win-unresolved-host"
unresolved_host="ravo-update.invalid"
dns_address=127.0.0.153

if [ -z "${RAVO_BENCH_NAMESPACE:-}" ]; then
  [ -n "${RAVO_WIN_BUILD:-}" ] || bash "$root/scripts/build.sh" win >/dev/null
  if [ "$(id -u)" != 0 ] || ! command -v unshare >/dev/null; then
    RAVO_BENCH_NAMESPACE=none
  else
    cmake -S "$root" -B "$unresolved_build" -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
          -DRAVO_UPDATE_HOST="$unresolved_host:$port" >/dev/null
    cmake --build "$unresolved_build" -j"$(nproc)" --target ravo_subtitler >/dev/null
    resolv="$(mktemp)"
    printf 'nameserver %s\noptions attempts:1 timeout:30\n' "$dns_address" > "$resolv"
    status=0
    unshare --mount env RAVO_BENCH_NAMESPACE="$resolv" \
      bash -c 'mount --bind "$RAVO_BENCH_NAMESPACE" /etc/resolv.conf && exec bash "$0" "$@"' "$0" "$@" ||
      status=$?
    rm -f "$resolv"
    exit $status
  fi
fi

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
dns=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$host" ] && kill "$host" 2>/dev/null
  [ -n "$dns" ] && kill "$dns" 2>/dev/null
  ravo_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
ravo_start_xvfb
# A wineserver that outlives each start (and ends by itself half a minute after the
# last): each start then costs what it costs a user whose Wine is already up.
wineserver -p30
cp "$build/RavoSubtitler.exe" "$work/"
mkdir "$work/unresolved"
[ "$RAVO_BENCH_NAMESPACE" = none ] || cp "$unresolved_build/RavoSubtitler.exe" "$work/unresolved/"
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

# Takes every name query on port 53 of $dns_address and never answers.
start_silent_name_server() {
  python3 - "$dns_address" "$work/dns-ready" <<'PY' >/dev/null 2>&1 &
import select, socket, sys
udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
udp.bind((sys.argv[1], 53))
tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
tcp.bind((sys.argv[1], 53))
tcp.listen(16)
open(sys.argv[2], "w").close()
held = []
while True:
    ready, _, _ = select.select([udp, tcp], [], [], 1.0)
    if udp in ready:
        udp.recv(4096)
    if tcp in ready:
        held.append(tcp.accept()[0])
PY
  dns=$!
  for _ in $(seq 1 100); do [ -f "$work/dns-ready" ] && break; sleep 0.05; done
  [ -f "$work/dns-ready" ] || { echo "the silent name server did not start" >&2; exit 1; }
  # The lookup must hang here, not fail: otherwise the case measures something else.
  getent hosts "$unresolved_host" >/dev/null 2>&1 &
  local lookup=$!
  sleep 1
  if ! kill -0 "$lookup" 2>/dev/null; then
    echo "a lookup of $unresolved_host did not hang; not measuring that case" >&2
    exit 1
  fi
  kill "$lookup" 2>/dev/null || true
}

one_start() { # [program] prints the milliseconds until the main window is visible
  local t0 t1
  t0=$(date +%s%N)
  wine "${1:-RavoSubtitler.exe}" >/dev/null 2>&1 &
  pid=$!
  while ! xdotool search --onlyvisible --name "Ravo字幕器v3.5" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended without a main window" >&2; exit 1; }
    [ $((($(date +%s%N) - t0) / 1000000)) -lt 60000 ] || break
    sleep 0.02
  done
  t1=$(date +%s%N)
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null || true
  pid=""
  echo $(((t1 - t0) / 1000000))
}

measure() { # label [program]
  local all=()
  one_start "${2:-}" >/dev/null  # the first start fills Wine's caches
  for _ in $(seq 1 "$repeats"); do all+=("$(one_start "${2:-}")"); done
  printf '%-44s %s\n' "$1" "$(printf '%s\n' "${all[@]}" | sort -n |
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
if [ "$RAVO_BENCH_NAMESPACE" = none ]; then
  echo "name never resolves: not measured (a mount namespace of our own needs root)"
else
  start_silent_name_server
  measure "name never resolves ($unresolved_host)" unresolved/RavoSubtitler.exe
fi
