#!/usr/bin/env bash
# Measures what HttpGet costs the window when the lyrics host cannot be reached: a
# refused port, a silent port (accepts, never answers) and an unknown host, next to a
# normal fetch from the stand-in site. Prints min/median/max milliseconds per case.
#
# The unknown host is a name under the reserved .invalid domain. The resolver would still
# ask the machine's name server about it, so the measurement runs in a mount namespace
# whose /etc/resolv.conf names 127.0.0.1 as the only name server (needs root, as the
# other scripts do). With nothing listening on port 53 there, the lookup fails on this
# machine and no query leaves it.
#
# Usage: bench/http_timeouts.sh [repeats, default 3]
# RAVO_WIN_BUILD=<folder> measures an existing Windows build instead of building build/win.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
repeats="${1:-3}"
build="${RAVO_WIN_BUILD:-$root/build/win}"

if ss -Hlnu 'sport = :53' | grep -q . || ss -Hlnt 'sport = :53' | grep -q .; then
  echo "something listens on port 53 here and might pass the lookup on; not measuring" >&2
  exit 1
fi

if [ -z "${RAVO_LOOPBACK_RESOLVER:-}" ]; then
  [ -n "${RAVO_WIN_BUILD:-}" ] || bash "$root/scripts/build.sh" win >/dev/null
  resolv="$(mktemp)"
  printf 'nameserver 127.0.0.1\noptions attempts:1 timeout:1\n' > "$resolv"
  status=0
  unshare --mount env RAVO_LOOPBACK_RESOLVER="$resolv" \
    bash -c 'mount --bind "$RAVO_LOOPBACK_RESOLVER" /etc/resolv.conf && exec bash "$0" "$@"' "$0" "$@" || status=$?
  rm -f "$resolv"
  exit $status
fi

source "$root/scripts/wine-env.sh"
ravo_ensure_prefix
unset DISPLAY
work="$(mktemp -d)"
site=""
cleanup() {
  rm -f "$work/ready"
  [ -n "$site" ] && wait "$site" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$root/tools/lyrics_site.py" --port 0 --test-ports --max-seconds 600 --ready-file "$work/ready" &
site=$!
for _ in $(seq 1 100); do [ -s "$work/ready" ] && break; sleep 0.05; done
value() { sed -n "s/^$1=//p" "$work/ready"; }
port=$(value port)
[ -n "$port" ] || { echo "the stand-in site did not start" >&2; exit 1; }

echo "name servers for this run: $(awk '/^nameserver/ {print $2}' /etc/resolv.conf | tr '\n' ' ')"
wine "$build/http_timeouts_bench.exe" "$repeats" \
  "site=http://127.0.0.1:$port/lrc/lighthouse.lrc" \
  "refused=http://127.0.0.1:$(value refused)/x.lrc" \
  "silent=http://127.0.0.1:$(value silent)/x.lrc" \
  "unknown=http://lyrics-site.invalid/x.lrc" > "$work/out.txt" 2>&1 </dev/null || true
cat "$work/out.txt"
