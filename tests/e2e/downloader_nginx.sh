#!/usr/bin/env bash
# The update's downloader against a real web server (nginx from Debian's packages) on
# loopback: a 64 MB file over five Range requests, as the update fetches it, arrives
# byte for byte; nginx's log shows the five ranges.
source "$(dirname "$0")/support/lib.sh"
source "$(dirname "$0")/support/nginx.sh"
build="$(realpath "$2")"
command -v nginx >/dev/null || fail "nginx is not installed (scripts/install-deps.sh installs nginx-light)"

work="$(mktemp -d)"
cleanup() {
  nginx_stop
  rm -rf "$work"
  ravo_stop_xvfb
}
trap cleanup EXIT
chmod a+rx "$work"
mkdir -p "$work/www" "$work/nginx" "$work/saved"
head -c $((64 << 20)) /dev/urandom >"$work/www/big.bin"
nginx_start "$work/www" "$work/nginx" || fail "nginx did not start"

cd "$work/saved"
wine "$build/downloader_bench.exe" "http://127.0.0.1:$NGINX_PORT/big.bin" big.bin 5 10240 \
  >"$work/result.txt" 2>&1 </dev/null || fail "the download failed: $(cat "$work/result.txt")"
cat "$work/result.txt"
cmp "$work/saved/big.bin" "$work/www/big.bin" || fail "the downloaded file differs from the served one"
[ "$(ls "$work/saved")" = big.bin ] || fail "more than the file was left: $(ls "$work/saved")"
ranges=$(grep -c '^206 ' "$work/nginx/access.log" || true)
[ "$ranges" -eq 5 ] || fail "nginx answered $ranges ranges, not 5: $(cat "$work/nginx/access.log")"
echo "PASS: 64 MB from nginx over 5 ranges, byte-identical"
