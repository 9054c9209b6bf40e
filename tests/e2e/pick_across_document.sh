#!/usr/bin/env bash
# Whole flow of a pick made while lyrics play: a lyric goes into the chat stand-in, a line
# every 0.3 s; the crosshair is dragged across a text editor's page holding a letter (the
# edit stand-in's multi-line box), rests there while several lines fall due, and is let
# go over the chat stand-in's field again. Only the window released over is ever
# written: the letter stays as it was, the pick ends at the release (no crosshair window
# and no frame left over the page), the lines due during the pick are held, and the chat
# stand-in gets the line due at the release and then every later line.
source "$(dirname "$0")/support/lib.sh"
exe="$1"
build="$2"
work="$(mktemp -d)"
document=""
trap 'kill $document 2>/dev/null; stop_standin_and_tool' EXIT
screenshot_on_failure pick_across_document
log="$work/standin.log"
page_log="$work/page.log"

# Sixty lines 0.3 s apart, the first at 1 s; our own words.
for i in $(seq 1 60); do
  ms=$(( 700 + 300 * i ))
  printf '[00:%02d.%02d]line %d\n' $(( ms / 1000 )) $(( ms % 1000 / 10 )) "$i"
done > "$work/quick.lrc"

# The page first, moved below the chat stand-in's place, so that neither covers the other.
wine "$build/edit_standin.exe" "$(winepath -w "$page_log")" 'Dear friend,\nthe apples are ripe.\nCome soon.' 1 &
document=$!
page_window=$(wait_for_window "Ravo Edit Stand-in" 30) || fail "the page did not start"
xdotool windowmove --sync "$page_window" 520 420 || true
sleep 0.5
start_standin_and_tool "$build/chat_standin.exe" "$exe" "$log" "$work"
eval "$(xdotool getwindowgeometry --shell "$page_window")"
page_x=$X page_y=$Y page_w=$WIDTH page_h=$HEIGHT

click "$wid" 80 77          # tab page 1
drag_crosshair_onto_standin
click "$wid" 40 122         # the lyric file
click "$wid" 76 453         # 播 放
wait_for_logged 3
import -window root -crop "$((page_w + 20))x$((page_h + 40))+$((page_x - 10))+$((page_y - 30))" "$work/page-before.png"

# Pressed on the capture board, across onto the page, a rest of 2.5 s, back onto the chat
# stand-in's field and let go there.
at "$wid" 24 44
xdotool mousedown 1
pressed=$(date +%s%3N)
for step in 1 2 3 4; do at "$page_window" $(( 60 * step )) $(( 30 * step )); sleep 0.1; done
sleep 2.5
for step in 1 2 3 4 5; do at "$sid" $((298 - 40 * (5 - step))) 124; sleep 0.1; done
xdotool mouseup 1
released=$(date +%s%3N)
sleep 2.5
import -window root -crop "$((page_w + 20))x$((page_h + 40))+$((page_x - 10))+$((page_y - 30))" "$work/page-after.png"
echo "stand-in log:"; cat "$log"

[ ! -s "$page_log" ] || fail "the page was written: $(cat "$page_log")"
differ=$(compare -metric AE "$work/page-before.png" "$work/page-after.png" null: 2>&1 || true)
[ "$differ" = 0 ] || cp "$work"/page-*.png "$build/" 2>/dev/null
[ "$differ" = 0 ] || fail "$differ pixels over the page differ from before the pick: a crosshair, a frame or a changed letter is left"

mapfile -t at_ms < <(cut -d' ' -f1 "$log")
mapfile -t number < <(sed -E 's/.* line ([0-9]+)$/\1/' "$log")
first_ms=${at_ms[0]}
[ "${number[0]}" = 1 ] || fail "the first line was not written first"
due_at_release=$(( (released - first_ms) / 300 + 1 ))
after=""
for i in "${!at_ms[@]}"; do
  if [ "${at_ms[i]}" -gt $((pressed + 100)) ] && [ "${at_ms[i]}" -lt "$released" ]; then
    fail "line ${number[i]} reached the chat stand-in during the pick"
  fi
  if [ -z "$after" ] && [ "${at_ms[i]}" -ge "$released" ]; then after=$i; fi
done
[ -n "$after" ] || fail "nothing reached the chat stand-in after the release: the pick did not end there"
echo "released when line $due_at_release was due; the first line after it: line ${number[after]}, $(( at_ms[after] - released )) ms later"
[ $(( at_ms[after] - released )) -le 400 ] || fail "the line due at the release came $(( at_ms[after] - released )) ms after it"
[ $(( number[after] - due_at_release )) -ge -1 ] && [ $(( number[after] - due_at_release )) -le 1 ] ||
  fail "line ${number[after]} came first after the release, when line $due_at_release was due"
for i in $(seq $((after + 1)) $(( ${#at_ms[@]} - 1 ))); do
  [ "${number[i]}" = $(( number[i - 1] + 1 )) ] || fail "line ${number[i]} followed line ${number[i - 1]}: a later line was lost"
done
[ $(( ${#at_ms[@]} - after )) -ge 6 ] || fail "only $(( ${#at_ms[@]} - after )) lines came after the release"

end_tool_and_standin
wine taskkill /im edit_standin.exe >/dev/null 2>&1 || true
echo "PASS: the page stayed as it was, the pick ended at the release, and the chat stand-in got the line of the moment and every later one"
