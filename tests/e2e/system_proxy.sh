#!/usr/bin/env bash
# The proxy set in the system's Internet settings carries the program's requests: in a
# copy of the Wine prefix whose Internet settings name our forwarding proxy on loopback,
# the update check at start-up and a lyric search with its preview reach the stand-in
# update host and lyrics site only through the proxy. Nothing listens at the built-in
# hosts themselves; the proxy sends their requests on to the stand-ins' own ports, and
# its log shows each request as the program sent it.
source "$(dirname "$0")/support/lib.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"
fail() {
  echo "FAIL: $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$build/e2e-system-proxy-failure.png" 2>/dev/null
  [ -f "${work:-}/proxy.log" ] && { echo "proxy log:"; cat "$work/proxy.log"; } >&2
  exit 1
}

lyrics_host="$(build_setting RAVO_LYRICS_HOST)"
update_host="$(build_setting RAVO_UPDATE_HOST)"
for host in "$lyrics_host" "$update_host"; do
  [ "${host%%:*}" = 127.0.0.1 ] || fail "the built-in host $host is not on 127.0.0.1"
  ss -Hltn "sport = :${host##*:}" | grep -q . && fail "$host is in use; it must be reachable through the proxy only"
done

work="$(mktemp -d)"
pids=()
tool=""
own_prefix=""
cleanup() {
  set +e
  [ -n "$tool" ] && kill "$tool" 2>/dev/null
  [ -n "$own_prefix" ] && WINEPREFIX="$own_prefix" wineserver -k 2>/dev/null
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
  ravo_stop_xvfb
}
trap cleanup EXIT

# ready FILE: the port a stand-in wrote once it listened ("port=N", or N alone).
ready() {
  for _ in $(seq 1 100); do [ -s "$1" ] && break; sleep 0.05; done
  sed -n 's/^\(port=\)\{0,1\}\([0-9][0-9]*\)$/\2/p' "$1" 2>/dev/null | head -n 1
}
python3 "$RAVO_ROOT/tools/lyrics_site.py" --port 0 --log "$work/site.log" --ready-file "$work/site.ready" \
  --max-seconds 280 &
pids+=($!)
python3 "$RAVO_ROOT/tools/update_host.py" --port 0 --log "$work/host.log" --ready-file "$work/host.ready" \
  --lifetime 280 >/dev/null 2>&1 &
pids+=($!)
site_port=$(ready "$work/site.ready"); [ -n "$site_port" ] || fail "the stand-in lyrics site did not start"
host_port=$(ready "$work/host.ready"); [ -n "$host_port" ] || fail "the stand-in update host did not start"
python3 "$RAVO_ROOT/tools/forward_proxy.py" --log "$work/proxy.log" --ready-file "$work/proxy.ready" --lifetime 280 \
  --map "$lyrics_host=127.0.0.1:$site_port" --map "$update_host=127.0.0.1:$host_port" >/dev/null &
pids+=($!)
proxy_port=$(ready "$work/proxy.ready"); [ -n "$proxy_port" ] || fail "the proxy did not start"

# A copy of the prefix, so that the other tests keep their direct connections.
cp -a "$WINEPREFIX" "$work/prefix" || fail "could not copy the Wine prefix"
export WINEPREFIX="$work/prefix"
own_prefix="$WINEPREFIX"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
wine reg add "$key" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null 2>&1 || fail "could not set ProxyEnable"
wine reg add "$key" /v ProxyServer /t REG_SZ /d "127.0.0.1:$proxy_port" /f >/dev/null 2>&1 || fail "could not set ProxyServer"
wine reg delete "$key" /v ProxyOverride /f >/dev/null 2>&1 || true  # no exceptions, loopback included

start_tool_copy "$exe" "RavoSubtitler_proxy_$$.exe" 40

# wait_for_proxied REQUEST: waits until the proxy has logged the request line and sent
# it on to a stand-in.
wait_for_proxied() {
  for _ in $(seq 1 100); do
    grep -A1 -xF "$1" "$work/proxy.log" 2>/dev/null | grep -q '^  -> 127\.0\.0\.1:[0-9]*$' && return 0
    sleep 0.1
  done
  fail "the proxy never carried '$1'"
}
wait_for_proxied "GET http://$update_host/vodovuzedova/ravocap1.html HTTP/1.0"
grep -q '"path": "/vodovuzedova/ravocap1.html"' "$work/host.log" || fail "the update host got no request for its page"
sleep 1

at() { xdotool mousemove --window "$wid" "$1" "$2"; }
click() { at "$1" "$2"; xdotool click 1; sleep 0.5; }
click 220 77                                     # page 2
click 104 104                                    # 欲搜索内容
xdotool type --delay 30 "yueguang"
sleep 0.3
click 88 127                                     # 在线快速搜索歌词
wait_for_proxied "GET http://$lyrics_host/?keyword=yueguang&field=all HTTP/1.0"
sleep 1
click 60 183                                     # the second hit: its preview
wait_for_proxied "GET http://$lyrics_host/lrc/yueguang_he_xiaozhou.lrc HTTP/1.0"
grep -qx "GET /lrc/yueguang_he_xiaozhou.lrc HTTP/1.0" "$work/site.log" || fail "the site got no request for the lyric"

wine taskkill /im "$app" >/dev/null 2>&1 || true
wait_for_exit "$tool" 20
tool=""
[ "$EXIT_CODE" = 0 ] || fail "the tool ended with '$EXIT_CODE'"
echo "requests through the proxy:"; grep '^[A-Z]' "$work/proxy.log"
echo "PASS: the update page, the search and the preview went through the proxy of the Internet settings"
