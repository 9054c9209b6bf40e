# Sourced by the scripts that run Windows programs: a Wine of our own, headless and quiet,
# with the Chinese ANSI code page (936) that the program's GBK texts need.
_ravo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEARCH=win32
export WINEPREFIX="${RAVO_WINEPREFIX:-$_ravo_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's WinInet takes a proxy from http_proxy when the prefix's Internet settings name
# none; the stand-in servers on loopback are reached directly.
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY
export LANG=C.UTF-8
# The system code page follows LC_CTYPE: 936 by default; RAVO_LC_CTYPE=zh_TW.UTF-8 gives
# 950, en_US.UTF-8 gives 1252.
export LC_CTYPE="${RAVO_LC_CTYPE:-zh_CN.UTF-8}"
unset LC_ALL

# ravo_ensure_prefix: creates the Wine prefix once (about 10 s).
ravo_ensure_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
}

# ravo_start_xvfb: starts an Xvfb on a free display and exports DISPLAY; RAVO_XVFB_PID names it.
# RAVO_XVFB_SCREEN sets its size (1024x768x24).
ravo_start_xvfb() {
  local n=91
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${RAVO_XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
  RAVO_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X${n}" ] && return 0
    sleep 0.05
  done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

ravo_stop_xvfb() {
  [ -n "${RAVO_XVFB_PID:-}" ] && kill "$RAVO_XVFB_PID" 2>/dev/null && wait "$RAVO_XVFB_PID" 2>/dev/null
  RAVO_XVFB_PID=""
}
