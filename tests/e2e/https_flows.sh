#!/usr/bin/env bash
# HTTPS against nginx, with a throw-away test CA trusted in a copy of the Wine prefix (a
# CA cannot be taken out of a prefix again): fetches and the update's downloader against
# a trusted server, a server whose certificate comes from an unknown CA, and a server
# that accepts and never answers the handshake (support/https_checks.cpp); then a signed
# forced update whose new program comes over HTTPS, started as today.
source "$(dirname "$0")/support/lib.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"
port=18611
key="${RAVO_UPDATE_SIGNING_KEY:-$build/update-key/private.pem}"
[ -f "$key" ] || fail "no signing key of this build at $key (a build given the maker's key cannot sign test updates)"

require_free_port "$port"

work="$(mktemp -d)"
chmod a+rx "$work"
pids=()
copy_prefix=""
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -n "$copy_prefix" ] && WINEPREFIX="$copy_prefix" wineserver -k 2>/dev/null || true
  rm -rf "$work"
  ravo_stop_xvfb
}
trap cleanup EXIT
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# Two CAs: the test CA the copied prefix trusts, and one it has never seen; a server
# certificate for "localhost" from each (WinInet refuses an IP address as the name).
mkdir -p "$work/certs"
cd "$work/certs"
for ca in trusted unknown; do
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$ca-ca.key" -out "$ca-ca.pem" -days 2 \
    -subj "/CN=Ravo $ca test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
  openssl req -newkey rsa:2048 -nodes -keyout "$ca-server.key" -out "$ca-server.csr" -subj "/CN=localhost" 2>/dev/null
  printf 'subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n' >ext
  openssl x509 -req -in "$ca-server.csr" -CA "$ca-ca.pem" -CAkey "$ca-ca.key" -CAcreateserial -days 2 \
    -extfile ext -out "$ca-server.pem" 2>/dev/null || fail "could not make the $ca certificates"
done
openssl x509 -in trusted-ca.pem -outform DER -out trusted-ca.der

# nginx on two TLS ports, serving a 5 MB file and the new program.
mkdir -p "$work/www" "$work/nginx/tmp"
chmod a+rx "$work/www" "$work/certs"
head -c 5242880 /dev/urandom >"$work/www/big.bin"
cp "$build/new_version_standin.exe" "$work/www/RavoSubtitler_v36.exe"
chmod a+r "$work/www/"* "$work/certs/"*
trusted_port=$(free_port)
unknown_port=$(free_port)
cat >"$work/nginx/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 256; }
http {
  log_format ranges '\$server_port \$status \$body_bytes_sent "\$http_range"';
  access_log $work/nginx/access.log ranges;
  client_body_temp_path $work/nginx/tmp;
  default_type application/octet-stream;
  ssl_protocols TLSv1.2 TLSv1.3;
  server {
    listen 127.0.0.1:$trusted_port ssl;
    ssl_certificate $work/certs/trusted-server.pem;
    ssl_certificate_key $work/certs/trusted-server.key;
    root $work/www;
  }
  server {
    listen 127.0.0.1:$unknown_port ssl;
    ssl_certificate $work/certs/unknown-server.pem;
    ssl_certificate_key $work/certs/unknown-server.key;
    root $work/www;
  }
}
CONF
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" &
pids+=($!)
# The stalled server: accepts and reads, never answers (so the handshake never ends).
python3 "$RAVO_ROOT/tools/update_host.py" --port 0 --silent --ready-file "$work/stalled.port" --lifetime 200 \
  >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
  [ -f "$work/stalled.port" ] && (exec 3<>"/dev/tcp/127.0.0.1/$trusted_port") 2>/dev/null && break
  sleep 0.1
done
[ -f "$work/stalled.port" ] || fail "the stalled server did not start"
curl -sf --cacert "$work/certs/trusted-ca.pem" "https://localhost:$trusted_port/big.bin" | cmp -s - "$work/www/big.bin" ||
  fail "nginx does not serve over TLS: $(cat "$work/nginx/error.log")"

# A copy of the prefix that trusts the test CA.
copy_prefix="$work/prefix"
cp -a "$WINEPREFIX" "$copy_prefix"
export WINEPREFIX="$copy_prefix"
# Persistent for a few seconds only: a server that outlives a killed test must not linger.
wineserver -p10 >/dev/null 2>&1 &
sleep 1
wine "$build/https_checks.exe" --trust "$(winepath -w "$work/certs/trusted-ca.der")" >"$work/trust.log" 2>&1 </dev/null ||
  fail "could not trust the test CA in the prefix copy"

RAVO_HTTPS_TRUSTED="https://localhost:$trusted_port" RAVO_HTTPS_UNTRUSTED="https://localhost:$unknown_port" \
RAVO_HTTPS_STALLED="https://localhost:$(cat "$work/stalled.port")" \
RAVO_HTTPS_FILE="$(winepath -w "$work/www/big.bin")" \
  wine "$build/https_checks.exe" >"$work/checks.log" 2>&1 </dev/null
status=$?
cat "$work/checks.log"
[ "$status" = 0 ] || fail "the HTTPS checks failed"

# A signed forced update, the new program fetched over HTTPS in five ranges.
python3 "$RAVO_ROOT/tools/update_host.py" --port "$port" --force 是 --name RavoSubtitler_v36.exe \
  --address "https://localhost:$trusted_port/RavoSubtitler_v36.exe" --signed-file "$work/www/RavoSubtitler_v36.exe" \
  --sign-key "$key" --ready-file "$work/ready" --lifetime 120 >"$work/host.out" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do [ -f "$work/ready" ] && break; sleep 0.1; done
[ -f "$work/ready" ] || fail "the stand-in update host did not start: $(cat "$work/host.out")"
mkdir -p "$work/program"
cp "$exe" "$work/program/RavoSubtitler.exe"
cd "$work/program"
wine RavoSubtitler.exe &
pid=$!
pids+=($pid)
wait_for_exit "$pid" 90
[ "$EXIT_CODE" = 0 ] || fail "the old program ended with '$EXIT_CODE'"
marker="$work/program/new_version_started.txt"
[ -f "$marker" ] || fail "the new program was not started (no marker)"
cmp -s "$work/program/RavoSubtitler_v36.exe" "$work/www/RavoSubtitler_v36.exe" ||
  fail "the downloaded program differs from the served one"
ranged=$(grep -c "^$trusted_port 206 " "$work/nginx/access.log" || true)
[ "$ranged" -ge 5 ] || fail "the program came over $ranged HTTPS range requests, not 5"
echo "PASS: HTTPS: trusted fetch and download, untrusted and stalled servers refused; forced update over HTTPS"
