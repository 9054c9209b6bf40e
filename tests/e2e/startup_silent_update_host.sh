#!/usr/bin/env bash
# Start-up while the update host (the build's, 127.0.0.1:18611) accepts and never
# answers: the main window is up at once and answers the user while the update check
# still waits for its page (a click on the first tab shows that page instead of the
# fourth, which start-up selects), and closing the
# window ends the program at once, with the page request still unanswered, well before
# the fetch's own time-out of 5 s.
source "$(dirname "$0")/support/lib.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"
port=18611

require_free_port "$port"

work="$(mktemp -d)"
host_pid=""
pid=""
trap stop_host_and_program EXIT

start_update_host --port "$port" --silent

cd "$work"
wine "$exe" &
pid=$!
wid=$(wait_for_window "Ravo字幕器v3.5" 30) || fail "no main window appeared"
title=$(xdotool getwindowname "$wid")
page_line='"path": "/vodovuzedova/ravocap1.html"'
probe() { # probe FILE: the main window's controls; prints the tab control's page
  wine "$build/window_probe.exe" "$1" "$title" "$(basename "$exe")" >/dev/null 2>&1 </dev/null ||
    fail "could not read the main window"
  grep -o '^SysTabControl32	.*page [0-9]*$' "$1" | grep -o '[0-9]*$'
}
# The tab strip: the client area starts below the menu bar.
xdotool mousemove --window "$wid" 40 78 click 1
sleep 0.3
after=$(probe "$work/after.txt")
grep "$page_line" "$work/host.log" | grep -q '"held": "open"' || fail "the page was never asked for"
grep -q '"held": "ended"' "$work/host.log" && fail "the page request had ended before the window was tried"
[ "$after" = 0 ] || fail "a click on the first tab left page $after shown"

# Alt+F4 to the window that has the focus since the click: Wine closes it as a user would.
xdotool key alt+F4
wait_for_exit "$pid" 30
pid=""
[ "$EXIT_CODE" = 0 ] || fail "the program ended with '$EXIT_CODE'"
for _ in $(seq 1 50); do grep -q '"held": "ended"' "$work/host.log" && break; sleep 0.1; done
held=$(grep '"held": "ended"' "$work/host.log" | grep "$page_line" | head -n 1 | grep -o '"seconds": [0-9.]*' |
  grep -o '[0-9.]*$') || fail "the page request never ended"
python3 -c 'import sys; sys.exit(0 if float(sys.argv[1]) < 5 else 1)' "$held" ||
  fail "the page request was held ${held}s: the program waited for its time-out before it ended"
echo "PASS: main window answered (page 3 -> $after) while the page was awaited; closed, the program" \
  "ended with its request held ${held}s"
