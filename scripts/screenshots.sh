#!/usr/bin/env bash
# Takes the README's screenshots of the four tab pages under Xvfb: the program runs in
# samples/, so its lyric list shows our sample lyrics, and the first one is loaded; page
# 2 shows a search on our stand-in lyrics site (started on the built-in lyrics host)
# with a hit previewed. The crosshair is drawn on the capture board of every page.
# With a DPI (144: 150 % display scale), the first page is taken at that system DPI
# instead, as page1-subtitles-<DPI>dpi.png.
# Usage: scripts/screenshots.sh [DPI]   (after scripts/build.sh win; the built-in hosts free)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dpi="${1:-96}"
if [ "$dpi" != 96 ] && [ -z "${RAVO_EXPECT_DPI:-}" ]; then
  exec bash "$root/scripts/at-dpi.sh" "$dpi" bash "$0" "$dpi"
fi
export RAVO_XVFB_SCREEN=1280x1024x24  # the window at 200 % fits
source "$root/scripts/wine-env.sh"
source "$root/tests/e2e/support/lib.sh"
out="$root/docs/screenshots"
mkdir -p "$out"

setting() { sed -n "s/^#define $1 \"\\(.*\\)\"\$/\\1/p" "$root/build/win/generated/build_settings.h"; }
port="$(setting RAVO_LYRICS_HOST)"; port="${port##*:}"
work="$(mktemp -d)"
site=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -f "$work/ready"  # the site ends when its ready file is gone
  [ -n "$site" ] && wait "$site" 2>/dev/null
  rm -rf "$work"
  ravo_stop_xvfb
}
trap cleanup EXIT
python3 "$root/tools/lyrics_site.py" --port "$port" --ready-file "$work/ready" --max-seconds 120 &
site=$!
for _ in $(seq 1 100); do [ -s "$work/ready" ] && break; sleep 0.05; done
[ -s "$work/ready" ] || fail "the stand-in lyrics site did not start on port $port (in use?)"

ravo_ensure_prefix
(cd "$root/samples" && exec wine "$root/build/win/RavoSubtitler.exe") &
pid=$!
wid=$(wait_for_window "Ravo字幕器v3.5" 30) || fail "no main window"
sleep 1

# Positions inside the window (menu bar included): the four tabs, the first lyric file,
# the search box and the second hit of page 2.
tab_y=77
tab_x=(80 220 325 420)
# Points and the crop are the 96-DPI layout's, scaled as the window is.
px() { echo $(( ($1 * dpi + 48) / 96 )); }
click() { xdotool mousemove --window "$wid" "$(px "$1")" "$(px "$2")" click 1; sleep 0.7; }
shoot() { import -window root -crop "$(px 490)x$(px 530)+$(px 50)+$(px 68)" +repage "$out/$1"; }

click "${tab_x[0]}" "$tab_y"
click 40 122
if [ "$dpi" != 96 ]; then
  shoot "page1-subtitles-${dpi}dpi.png"
  wine taskkill /im RavoSubtitler.exe >/dev/null 2>&1 || true
  wait_for_exit "$pid" 20
  pid=""
  ls -1 "$out"
  exit 0
fi
shoot page1-subtitles.png
click "${tab_x[1]}" "$tab_y"
click 104 104
xdotool type --delay 30 yueguang
xdotool key Return
sleep 1.5
click 60 183
sleep 0.5
shoot page2-search-results.png
click "${tab_x[2]}" "$tab_y"
shoot page3-billboard.png
click "${tab_x[3]}" "$tab_y"
shoot page4-about.png
wine taskkill /im RavoSubtitler.exe >/dev/null 2>&1 || true
wait_for_exit "$pid" 20
pid=""
ls -1 "$out"
