#!/usr/bin/env bash
# Whole flow with a chat client that answers the tool's probe and then hangs for 2 s in
# WM_SETFOCUS, the first time the tool hands it the focus: the tool must keep answering
# (a window probe posts it a character every 50 ms, which its loop must have run within
# 250 ms: a sent WM_NULL would be answered even from inside the SetFocus that waits),
# and the line goes in once the client is well again, followed by the rest.
source "$(dirname "$0")/support/lib.sh"
exe="$1"
build="$2"
work="$(mktemp -d)"
trap stop_standin_and_tool EXIT
screenshot_on_failure focus_hang
log="$work/standin.log"

# Ten lines half a second apart, the first at 1 s; our own words.
for i in $(seq 1 10); do
  printf '[00:%02d.%02d]line %d\n' $(( (500 + 500 * i) / 1000 )) $(( (500 + 500 * i) % 1000 / 10 )) "$i"
done > "$work/hang.lrc"

wine "$build/chat_standin.exe" "$(winepath -w "$log")" Guest 0 2000 &
standin=$!
sid=$(wait_for_window "Ravo Chat Stand-in" 30) || fail "the stand-in did not start"
(cd "$work" && exec wine "$exe") &
tool=$!
wid=$(wait_for_window "Ravo字幕器v3.5" 30) || fail "the tool did not start"
sleep 1
title=$(xdotool getwindowname "$wid")

click "$wid" 80 77          # tab page 1
drag_crosshair_onto_standin
click "$wid" 40 122         # the lyric file
wine "$build/window_probe.exe" --watch "$(winepath -w "$work/watch.txt")" "$title" "$(basename "$exe")" 5 50 posted \
  >/dev/null 2>&1 </dev/null &
probe=$!
sleep 0.5
click "$wid" 76 453         # 播 放
wait "$probe" || fail "the window probe failed ($?)"
for _ in $(seq 1 60); do
  tail -n 1 "$log" 2>/dev/null | grep -q 'line 10$' && break
  sleep 0.1
done
echo "stand-in log:"; cat "$log"

samples=$(grep -c '^sample' "$work/watch.txt" || true)
worst=$(awk -F'\t' '$1 == "sample" && $4 > w { w = $4 } END { print w + 0 }' "$work/watch.txt")
echo "the tool's worst answer to a probe every 50 ms during the 2 s hang in WM_SETFOCUS: $worst ms ($samples samples)"
[ "$samples" -ge 40 ] || fail "only $samples samples: the probe was held up"
[ "$worst" -le 250 ] || fail "the tool took $worst ms to answer while the chat client hung in WM_SETFOCUS"
[ "$(logged)" -ge 3 ] || fail "only $(logged) lines reached the chat client once it was well again"
tail -n 1 "$log" | grep -q 'line 10$' || fail "the last line was not written"

end_tool_and_standin
echo "PASS: the tool answered throughout the hang, and the lines went in once the client was well"
