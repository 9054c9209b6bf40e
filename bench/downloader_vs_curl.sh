#!/usr/bin/env bash
# Throughput of the update's downloader against curl: the same file (256 MB by default)
# from the same nginx on loopback, written to the same disk, in one run. Each round runs
# curl and then the downloader with the update's own settings (5 connections, 10240-byte
# reads) and with larger reads; the medians and the ratio to curl are printed.
# The downloader's time runs from the task's start to its end event (Wine's own start-up
# is left out); curl's is its time_total. The downloader runs in a Wine prefix of its own
# (build/wineprefix-bench, made on first use), so that Wine programs of other work on the
# machine do not share its wineserver, through which every socket read passes.
#
# Usage: bench/downloader_vs_curl.sh [megabytes, default 256] [rounds, default 3]
# RAVO_WIN_BUILD=<folder> measures an existing Windows build instead of building build/win.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
megabytes="${1:-256}"
rounds="${2:-3}"
build="${RAVO_WIN_BUILD:-$root/build/win}"
[ -n "${RAVO_WIN_BUILD:-}" ] || bash "$root/scripts/build.sh" win >/dev/null
export RAVO_WINEPREFIX="${RAVO_WINEPREFIX:-$root/build/wineprefix-bench}"
source "$root/scripts/wine-env.sh"
source "$root/tests/e2e/support/nginx.sh"
ravo_ensure_prefix
unset DISPLAY

work="$(mktemp -d)"
cleanup() {
  nginx_stop
  rm -rf "$work"
}
trap cleanup EXIT
chmod a+rx "$work"
mkdir -p "$work/www" "$work/nginx" "$work/out"
head -c $((megabytes << 20)) /dev/urandom >"$work/www/big.bin"
nginx_start "$work/www" "$work/nginx"
url="http://127.0.0.1:$NGINX_PORT/big.bin"
bytes=$((megabytes << 20))

run_curl() {
  rm -f "$work/out/curl.bin"
  curl -s -o "$work/out/curl.bin" -w '%{time_total}\n' "$url"
  cmp -s "$work/out/curl.bin" "$work/www/big.bin" || { echo "curl's copy differs" >&2; exit 1; }
}
run_downloader() { # connections bufferBytes
  rm -f "$work/out/dl.bin"
  (cd "$work/out" && wine "$build/downloader_bench.exe" "$url" dl.bin "$1" "$2" </dev/null >"$work/line" 2>&1) || true
  sed -n 's/.*threads=\([0-9]*\).*/\1/p' "$work/line" >"$work/threads-$1"
  sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/line"
  cmp -s "$work/out/dl.bin" "$work/www/big.bin" || { echo "the downloader's copy differs" >&2; exit 1; }
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

variants=("5 10240" "5 65536" "1 65536")
declare -A times
for _ in $(seq 1 "$rounds"); do
  times[curl]+="$(run_curl) "
  for v in "${variants[@]}"; do
    read -r c b <<<"$v"
    times[$v]+="$(run_downloader "$c" "$b") "
  done
done

curl_s=$(tr ' ' '\n' <<<"${times[curl]}" | grep . | median)
printf '%s MB from nginx on loopback, median of %s rounds\n' "$megabytes" "$rounds"
printf '%-54s %8s %10s %18s\n' "client" "seconds" "MB/s" "throughput vs curl"
printf '%-54s %8.3f %10.1f %18s\n' "curl" "$curl_s" "$(echo "$bytes / $curl_s / 1048576" | bc -l)" "1.00"
for v in "${variants[@]}"; do
  read -r c b <<<"$v"
  s=$(tr ' ' '\n' <<<"${times[$v]}" | grep . | median)
  label="downloader, $c connection(s), $b-byte reads"
  [ "$v" = "5 10240" ] && label="$label (update)"
  printf '%-54s %8.3f %10.1f %18.2f\n' "$label" "$s" "$(echo "$bytes / $s / 1048576" | bc -l)" \
    "$(echo "$curl_s / $s" | bc -l)"
done
for c in 5 1; do
  printf 'threads of the downloader with %s connection(s), at most at once: %s\n' "$c" "$(cat "$work/threads-$c")"
done
