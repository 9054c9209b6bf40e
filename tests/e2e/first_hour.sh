#!/usr/bin/env bash
# Whole flow of a first run, started as scripts/run.sh starts the tool (its working
# folder from scripts/run-settings.sh), with the stand-in chat client:
#  1. the lyric list shows the sample lyrics;
#  2. a folder typed into the path box and Enter: the list shows that folder's lyrics;
#  3. the crosshair dragged onto the stand-in: the top strip names it ("目标：<title>"),
#     and so does the crosshair's tip;
#  4. the scroller run with a period of 0: never more than 5 texts a second reach the
#     stand-in, and after the stop the box holds the sentence as the user typed it;
#  5. the stand-in closed mid-song: the lyric stops ("播 放" again), and one box says
#     "目标窗口已关闭，请重新选取".
# xdotool types ASCII only into the tool under Wine, so the typed texts are ASCII.
source "$(dirname "$0")/support/lib.sh"
source "$RAVO_ROOT/scripts/run-settings.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"
work="$(mktemp -d)"
tool=""
standin=""
trap stop_standin_and_tool EXIT
screenshot_on_failure first-hour
log="$work/standin.log"

# Under file names of their own, so that closing them by name reaches no other run's.
tool_exe="ravo_first_$$.exe"
standin_exe="standin_first_$$.exe"
cp "$exe" "$work/$tool_exe"
cp "$build/$standin_program" "$work/$standin_exe"

start_standin_and_tool "$work/$standin_exe" "$work/$tool_exe" "$log" "$ravo_run_folder"
title=$(xdotool getwindowname "$wid")
# probe: what the tool's window shows (window_probe.md), without carriage returns.
probe() {
  wine "$build/window_probe.exe" "$(winepath -w "$work/probe.txt")" "$title" "$tool_exe" \
    >/dev/null 2>&1 </dev/null || fail "could not read the tool's window"
  tr -d '\r' < "$work/probe.txt"
}
entries() { probe | sed -n 's/^entry\t//p' | sort | tr '\n' '|'; }
# replace X Y TEXT: clicks into an edit box of the tool and types TEXT over its content.
replace() {
  click "$wid" "$1" "$2"
  xdotool key End shift+Home
  xdotool type --delay 20 "$3"
  sleep 0.3
}

# 1. Started as run.sh starts it: the samples are listed.
expected="$(cd "$ravo_run_folder" && ls -1 -- *.lrc | sort | tr '\n' '|')"
[ "$(entries)" = "$expected" ] || fail "the list shows '$(entries)', not the samples '$expected'"

# 2. Another folder typed into the path box (编辑框1), then Enter.
mkdir -p "$work/more lyrics"
printf '[00:00.00]one\n[00:30.00]two\n' > "$work/more lyrics/second song.lrc"
click "$wid" 80 77          # page 1
replace 228 494 "$(winepath -w "$work/more lyrics")"
xdotool key Return
sleep 0.7
[ "$(entries)" = "second song.lrc|" ] || fail "Enter in the path box listed '$(entries)'"

# 3. The pick names its target beside the crosshair and in the crosshair's tip.
drag_crosshair_onto_standin
probe | grep -qF "目标：$standin_title" || fail "nothing names the picked window '$standin_title'"
probe | grep -qxF "tooltip	目标：$standin_title" || fail "the crosshair's tip does not name '$standin_title'"

# 4. The scroller at a period of 0.
click "$wid" 327 77         # page 3
replace 277 126 "ab cd"     # 编辑框2
replace 214 157 "0"         # 编辑框3
before=$(logged)
click "$wid" 67 157         # 按钮1: start
sleep 3
click "$wid" 67 157         # 按钮1: stop
sleep 1
mapfile -t times < <(tail -n +$((before + 1)) "$log" | cut -d' ' -f1)
n=${#times[@]}
echo "the scroller wrote $n texts in about 3 s"
[ "$n" -ge 6 ] || fail "the scroller wrote only $n texts in 3 s"
for ((i = 0; i + 5 < n; i++)); do
  span=$(( times[i + 5] - times[i] ))
  [ "$span" -ge 1000 ] || fail "6 texts within $span ms: more than 5 a second"
done
probe | grep -qxF "Edit	ab cd" || fail "the scroller's box does not hold 'ab cd' after the stop"

# 5. The stand-in closes while the lyric plays: its next line is 30 s away, yet the run
# ends at once and says so, once.
click "$wid" 80 77          # page 1
click "$wid" 40 122         # second song.lrc
before=$(logged)
click "$wid" 76 453         # 播 放
wait_for_logged $((before + 1))
[ "$(logged)" -gt "$before" ] || fail "the lyric's first line did not reach the stand-in"
probe | grep -qP "\t停 止$" || fail "the play button does not read 停 止 while the lyric plays"
wine taskkill /im "$standin_exe" >/dev/null 2>&1 || true   # as the user closes it
wait_for_exit "$standin" 20
standin=""
box=$(wait_for_window "目标已关闭" 5) || fail "no box said that the target window has gone"
sleep 1.5
[ "$(xdotool search --onlyvisible --name "目标已关闭" | wc -l)" = 1 ] || fail "more than one box said the target has gone"
probe | grep -qP "\t播 放$" || fail "the lyric did not stop when its target window went"
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
sleep 0.5

wine taskkill /im "$tool_exe" >/dev/null 2>&1 || true
wait_for_exit "$tool" 20
[ "$EXIT_CODE" = 0 ] || fail "the tool ended with '$EXIT_CODE'"
tool=""
echo "PASS: samples listed; Enter lists the typed folder; the pick named; at most 5 texts a second; the typed text back; a closed stand-in ends the lyric, said once"
