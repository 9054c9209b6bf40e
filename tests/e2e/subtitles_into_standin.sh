#!/usr/bin/env bash
# Whole flow with two real processes: the user drags the crosshair onto the stand-in chat
# client, chooses a lyric, ticks the restore box and presses play; the stand-in's log
# must then hold every written line in order (the first, whose time stamp is 0, at once),
# each at its own time, then the nickname. The lyric is saved as editors on Linux save it:
# UTF-8 without a byte-order mark, bare line feeds, a blank line between verses; it holds
# a line with its translation under one time stamp, written as one text, and a
# word-timed line, whose word times are not written.
# A screenshot of the stand-in mid-song is kept in the build folder.
source "$(dirname "$0")/support/lib.sh"
exe="$1"
build="$2"
work="$(mktemp -d)"
trap stop_standin_and_tool EXIT
log="$work/standin.log"

printf '[ti:e2e]\n[00:00.00]E2E song\n[00:01.00]第一行\n\n[00:01.80]The river sings\n[00:01.80]河水在歌唱\n[00:02.60]<00:02.60>Twinkle <00:02.90>twinkle <00:03.20>star\n' > "$work/e2e.lrc"

start_standin_and_tool "$build/$standin_program" "$exe" "$log" "$work"

# Positions in the tool's window (menu bar included) and in the stand-in's client area.
restore_nickname_as MyNick

drag_crosshair_onto_standin

click "$wid" 40 122         # the lyric file
click "$wid" 76 453         # 播 放

wait_for_logged 3
import -window root "$build/e2e-subtitles-midsong.png"
wait_for_logged 5
sleep 0.5

texts=$(cut -d' ' -f3- "$log")
expected=$'E2E song\n第一行\nThe river sings / 河水在歌唱\nTwinkle twinkle star\nMyNick'
echo "stand-in log:"; cat "$log"
[ "$texts" = "$expected" ] || fail "the stand-in's log does not hold the song's lines then the nickname"
# One by one: the first three lines are 1000 and 800 ms apart in the song.
read -r -a at <<< "$(cut -d' ' -f1 "$log" | head -n 3 | tr '\n' ' ')"
for i in 1 2; do
  gap=$(( at[i] - at[i - 1] ))
  [ "$gap" -ge 400 ] || fail "line $((i + 1)) came ${gap} ms after line $i, not at its own time"
done

end_tool_and_standin
echo "PASS: lines written into the stand-in in order, then the nickname"
