#!/usr/bin/env bash
# Takes the README's screenshots of the four tab pages under Xvfb: the program runs in
# samples/, so its lyric list shows our sample lyrics, and the first one is loaded.
# Usage: scripts/screenshots.sh   (after scripts/build.sh win)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine-env.sh"
source "$root/tests/e2e/support/lib.sh"
out="$root/docs/screenshots"
mkdir -p "$out"

ravo_ensure_prefix
(cd "$root/samples" && wine "$root/build/win/RavoSubtitler.exe") &
pid=$!
wid=$(wait_for_window "Ravo字幕器v3.5" 30) || fail "no main window"
sleep 1

# Positions inside the window (menu bar included): the four tabs, the first lyric file.
tab_y=77
tab_x=(80 220 325 420)
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.7; }
shoot() { import -window root -crop 490x530+50+68 +repage "$out/$1"; }

click "${tab_x[0]}" "$tab_y"
click 40 122
shoot page1-subtitles.png
for i in 1 2 3; do
  click "${tab_x[$i]}" "$tab_y"
  shoot "page$((i + 1))-$(echo search billboard about | cut -d' ' -f"$i").png"
done
wine taskkill /im RavoSubtitler.exe >/dev/null 2>&1 || true
wait_for_exit "$pid" 20
ls -1 "$out"
