#!/usr/bin/env bash
# Whole flow with real key presses while the stand-in chat client, not the tool, has the
# focus: the tool's hot keys start the lyric, move it earlier and later, write the next
# line at once and stop it with the nickname written back. Each line must reach the
# stand-in when the presses before it make it due. Then, with Ctrl+Alt+Down held by
# another program, a second start of the tool plays by its other hot keys all the same,
# and its play button's tip names that one key as unavailable.
source "$(dirname "$0")/support/lib.sh"
exe="$1"
build="$2"
work="$(mktemp -d)"
holder=""
screenshot_on_failure hot-keys
stop_all() {
  set +e
  wine taskkill /im "$(basename "$exe")" >/dev/null 2>&1
  wine taskkill /im "$standin_program" >/dev/null 2>&1
  [ -n "$holder" ] && kill "$holder" 2>/dev/null  # it has no window to close
  rm -rf "$work"
  ravo_stop_xvfb
}
trap stop_all EXIT
log="$work/standin.log"
bound=400  # ms either way, as the subtitle flow allows a line

# A title line at 0 (written at once), then a line every 2 s.
printf '[00:00.00]热键\n[00:02.00]春\n[00:04.00]夏\n[00:06.00]秋\n[00:08.00]冬\n[00:10.00]晨\n[00:12.00]暮\n' \
  > "$work/hot.lrc"

now_ms() { date +%s%3N; }
# sleep_until T: sleeps until T ms after the start press.
sleep_until() {
  local left=$(( start + $1 - $(now_ms) ))
  [ "$left" -gt 0 ] && sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
  return 0
}
probe() {  # probe [TITLE]: the tool's window, by its title (the plain one by default)
  wine "$build/window_probe.exe" "$(winepath -w "$work/probe.txt")" "${1:-$title}" "$(basename "$exe")" \
    >/dev/null 2>&1 </dev/null || fail "could not read the tool's window ($?)"
}
# Ticks the restore box with the nickname MyNick, chooses the lyric and the stand-in as
# the target, then gives the stand-in the focus.
set_up_tool() {
  title=$(xdotool getwindowname "$wid")
  xdotool windowfocus --sync "$wid"  # the keyboard back from the stand-in, if it had it
  restore_nickname_as MyNick
  drag_crosshair_onto_standin
  click "$wid" 40 122        # the lyric file
  click "$sid" 60 200        # the stand-in: a point of no meaning to it
  xdotool windowfocus --sync "$sid"
  [ "$(xdotool getwindowfocus)" = "$sid" ] || fail "the stand-in does not have the focus"
}
# check_arrivals FIRST ROWS...: the log's lines from line FIRST on against rows of
# "text due" (due: ms after the start press, or "now+N": within N ms after press N).
check_arrivals() {
  local first="$1" i=0 row text due got at
  shift
  echo "stand-in log from line $first:"; tail -n +"$first" "$log"
  for row in "$@"; do
    read -r text due <<< "$row"
    got=$(tail -n +"$first" "$log" | sed -n "$((i + 1))p")
    [ "$(cut -d' ' -f3- <<< "$got")" = "$text" ] || fail "line $((i + 1)) after the start is '$got', not '$text'"
    at=$(( $(cut -d' ' -f1 <<< "$got") - start ))
    echo "$text at $at ms (due: $due)"
    if [[ "$due" = now+* ]]; then
      local press=${pressed[${due#now+}]}
      [ $((at - press)) -ge 0 ] && [ $((at - press)) -le 100 ] ||
        fail "'$text' came at $at ms, not within 100 ms of the press at $press ms"
    else
      [ $((at - due)) -ge -"$bound" ] && [ $((at - due)) -le "$bound" ] ||
        fail "'$text' came at $at ms, not at $due ms (±$bound)"
    fi
    i=$((i + 1))
  done
  [ "$(tail -n +"$first" "$log" | wc -l)" -eq "$#" ] || fail "the stand-in got more than the expected lines"
}
# press_table ROWS...: rows of "at keys": each key combination pressed at its time (ms
# after the first row's press, which sets start); press N's own time goes to pressed[N],
# and after_press[N], if set, runs right after it.
press_table() {
  local row when keys n=0
  pressed=()
  for row in "$@"; do
    read -r when keys <<< "$row"
    if [ "$n" -eq 0 ]; then start=$(now_ms); else sleep_until "$when"; fi
    pressed[n]=$(( $(now_ms) - start ))
    xdotool key "$keys"
    [ -n "${after_press[$n]:-}" ] && eval "${after_press[$n]}"
    n=$((n + 1))
  done
  return 0
}

wine "$build/$standin_program" "$(winepath -w "$log")" Guest &
sid=$(wait_for_window "$standin_title" 30) || fail "the stand-in did not start"
(cd "$work" && exec wine "$exe") &
wid=$(wait_for_window "Ravo字幕器v3.5" 30) || fail "the tool did not start"
sleep 1
set_up_tool
probe
[ "$(grep -c $'^tooltip\tCtrl+Alt+' "$work/probe.txt")" -eq 4 ] || fail "the play button's tip lists no four hot keys"
! grep -q "不可用" "$work/probe.txt" || fail "a hot key is named unavailable though none is taken"

# The presses: at (ms after the first) and keys. The lyric's title line is the table's row 0.
presses=(
  "0     ctrl+alt+p"       # 0: start
  "2600  ctrl+alt+Right"   # 1: +0.5 s
  "4200  ctrl+alt+Left"    # 2: 0 s
  "4350  ctrl+alt+Left"    # 3: -0.5 s
  "7000  ctrl+alt+Down"    # 4: 冬 now (due at 8500), +1.0 s
  "9500  ctrl+alt+p"       # 5: stop
)
# Right after press 4: the title bar with the shift, and the lyric table's selection.
after_press=([4]='sleep 0.3; shown=$(xdotool getwindowname "$wid"); probe "$shown"')
press_table "${presses[@]}"
sleep 1.5
[[ "$shown" = "[+1.0 s] $title" ]] || fail "the title read '$shown' with the lines 1 s ahead"
grep -qP '^SysListView32\t.*selected 4$' "$work/probe.txt" || fail "the lyric table did not select the line written now"
[ "$(xdotool getwindowname "$wid")" = "$title" ] || fail "the title was not restored when playback stopped"
# The lines, each due at its stamp less the shift of the presses before it.
check_arrivals 1 "热键 now+0" "春 2000" "夏 3500" "秋 6500" "冬 now+4" "晨 9000" "MyNick 9500"
# 晨 2 s after 冬, as in the song.
read -r -a at <<< "$(cut -d' ' -f1 "$log" | sed -n '5,6p' | tr '\n' ' ')"
gap=$(( at[1] - at[0] ))
[ "$gap" -ge $((2000 - bound)) ] && [ "$gap" -le $((2000 + bound)) ] || fail "晨 came ${gap} ms after 冬, not 2 s"

# Another program takes Ctrl+Alt+Down before the tool starts again.
wine taskkill /im "$(basename "$exe")" >/dev/null 2>&1 || true
for _ in $(seq 1 100); do xdotool search --name "Ravo字幕器v3.5" >/dev/null 2>&1 || break; sleep 0.1; done
wine "$build/hotkey_holder.exe" "$(winepath -w "$work/holder.log")" 40 120 &
holder=$!
for _ in $(seq 1 100); do grep -q . "$work/holder.log" 2>/dev/null && break; sleep 0.1; done
[ "$(cat "$work/holder.log" 2>/dev/null)" = held ] || fail "the holder could not take Ctrl+Alt+Down: $(cat "$work/holder.log")"
(cd "$work" && exec wine "$exe") &
wid=$(wait_for_window "Ravo字幕器v3.5" 30) || fail "the tool did not start beside the holder"
sleep 1
set_up_tool
probe
echo "the play button's tip:"; sed -n 's/^tooltip\t//p' "$work/probe.txt"
unavailable=$(grep $'^tooltip\t' "$work/probe.txt" | grep "不可用" || true)
[ "$(wc -l <<< "$unavailable")" -eq 1 ] && [[ "$unavailable" = $'tooltip\tCtrl+Alt+Down'* ]] ||
  fail "the tip does not name Ctrl+Alt+Down, and it alone, as unavailable"
[ "$(grep -c $'^tooltip\tCtrl+Alt+' "$work/probe.txt")" -eq 4 ] || fail "the tip no longer lists the four keys"

before=$(logged)
presses=(
  "0     ctrl+alt+p"       # start
  "2600  ctrl+alt+Down"    # the holder's now: 夏 stays at its stamp
  "4500  ctrl+alt+p"       # stop
)
after_press=()
press_table "${presses[@]}"
sleep 1.5
grep -qx pressed "$work/holder.log" || fail "the holder did not get its Ctrl+Alt+Down"
check_arrivals $((before + 1)) "热键 now+0" "春 2000" "夏 4000" "MyNick 4500"
echo "PASS: the hot keys start, nudge and stop the lyric from the chat client; a taken one is named unavailable"
