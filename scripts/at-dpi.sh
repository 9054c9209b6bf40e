#!/usr/bin/env bash
# Runs a command with Wine's system DPI at DPI: in a copy of the build's Wine prefix
# (build/wineprefix-dpi, made once) whose HKCU\Control Panel\Desktop LogPixels is set to
# DPI, with a wineserver of its own for the command's time. The build's own prefix, which
# every other test uses, stays at 96.
# Usage: scripts/at-dpi.sh DPI COMMAND [ARGS...]   (96, 120, 144, 192: 100 to 200 %)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dpi="$1"
shift
[[ "$dpi" =~ ^[0-9]+$ ]] || { echo "at-dpi: not a DPI: $dpi" >&2; exit 2; }
source "$root/scripts/wine-env.sh"
ravo_ensure_prefix
# A screen of its own, large enough for the main window at 200 %.
RAVO_XVFB_SCREEN=2048x1536x24 ravo_start_xvfb
copy="$root/build/wineprefix-dpi"
if [ ! -f "$copy/system.reg" ]; then
  rm -rf "$copy.part"
  cp -a "$WINEPREFIX" "$copy.part"
  mv "$copy.part" "$copy"
fi
export RAVO_WINEPREFIX="$copy" WINEPREFIX="$copy" RAVO_EXPECT_DPI="$dpi"
# Wine reads LogPixels as its server starts: a server still up from an earlier run is
# ended first, and the value is flushed to the prefix before the command's server starts.
wineserver -k 2>/dev/null || true
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -w
wineserver -p >/dev/null 2>&1 &
trap 'WINEPREFIX="$copy" wineserver -k 2>/dev/null || true; ravo_stop_xvfb' EXIT
sleep 1
wine cmd /c exit >/dev/null 2>&1 </dev/null
"$@"
