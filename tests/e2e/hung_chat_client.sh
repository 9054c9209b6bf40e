#!/usr/bin/env bash
# Whole flow with a chat client that hangs: the stand-in stops reading its messages for
# 2.25 s right after the first line, so that it wakes between two lines' times (a wake on
# a line's time would make the order of the retry and that line a matter of a few ms).
# The tool must keep answering, post nothing into the hung client (so no pile of stale
# lines is committed in a burst when it wakes), and go on with the line that is current
# when the client answers again, then the rest on time.
source "$(dirname "$0")/support/lib.sh"
exe="$1"
build="$2"
work="$(mktemp -d)"
trap stop_standin_and_tool EXIT
log="$work/standin.log"

# Ten lines half a second apart, the first at 1 s; our own words.
{
  for i in $(seq 1 10); do
    printf '[00:%02d.%02d]line %d\n' $(( (500 + 500 * i) / 1000 )) $(( (500 + 500 * i) % 1000 / 10 )) "$i"
  done
} > "$work/hang.lrc"

start_standin_and_tool "$build/chat_standin.exe" "$exe" "$log" "$work" 2250
click "$wid" 80 77          # tab page 1
drag_crosshair_onto_standin
click "$wid" 40 122         # the lyric file
click "$wid" 76 453         # 播 放

wait_for_logged 1
# While the stand-in hangs, the tool's window still answers (window_probe asks it for
# its texts and would wait for as long as the tool does not answer).
sleep 0.8
# Looked up afresh: the X window found at the start was at times gone by now (BadWindow).
title=$(xdotool getwindowname "$(wait_for_window "Ravo字幕器v3.5" 5)") || fail "the tool's window is gone"
timeout 20 wine "$build/window_probe.exe" "$(winepath -w "$work/probe.txt")" "$title" "$(basename "$exe")" \
  >/dev/null 2>&1 </dev/null || fail "the tool did not answer while the chat client hung (probe: $?)"
for _ in $(seq 1 100); do
  tail -n 1 "$log" 2>/dev/null | grep -q 'line 10$' && break
  sleep 0.1
done
sleep 0.5
echo "stand-in log:"; cat "$log"

# Each committed line against its time stamp, measured from the first line's commit.
mapfile -t at < <(cut -d' ' -f1 "$log")
mapfile -t number < <(sed -E 's/.* line ([0-9]+)$/\1/' "$log")
[ "${number[0]}" = 1 ] || fail "the first line was not written first"
[ "${number[-1]}" = 10 ] || fail "the last line was not written"
[ "${#at[@]}" -le 8 ] || fail "${#at[@]} lines reached the hung client: the lines due while it hung were not skipped"
for i in $(seq 1 $(( ${#at[@]} - 1 ))); do
  [ "${number[i]}" -gt "${number[i - 1]}" ] || fail "line ${number[i]} came after line ${number[i - 1]}"
  gap=$(( at[i] - at[i - 1] ))
  [ "$gap" -ge 150 ] || fail "line ${number[i]} was committed ${gap} ms after the one before: a burst"
  late=$(( at[i] - at[0] - 500 * (number[i] - 1) ))
  [ "$late" -ge -200 ] && [ "$late" -le 700 ] ||
    fail "line ${number[i]} came ${late} ms off its time stamp: not the line current when it was written"
done

end_tool_and_standin
echo "PASS: nothing reached the hung client, the line of the moment came when it woke, then the rest on time"
