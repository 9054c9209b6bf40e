#!/usr/bin/env bash
# Whole flow with two real processes: the user drags the crosshair onto the stand-in chat
# client, ticks the restore box, then on the billboard page
#  1. scrolls a line for a few steps and stops it: the stand-in's log must hold the line's
#     turns in order, one character per step, then the nickname;
#  2. adds three billboard rows, starts the billboard and stops it during its first pass:
#     the rows in order, the nickname once, the rest of that pass, nothing after it;
#  3. starts the billboard again and closes the tool while it runs: the tool must end
#     normally.
# A screenshot of the stand-in during the billboard is kept in the build folder.
# xdotool cannot type Chinese into the tool under Wine (it arrives as '?'), so the texts
# typed here are ASCII; Chinese texts are covered by the tests that drive the handlers.
source "$(dirname "$0")/support/lib.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"
work="$(mktemp -d)"
tool=""
standin=""
trap stop_standin_and_tool EXIT
log="$work/standin.log"

# Both programs run under file names of their own, so that closing them by name with
# taskkill reaches no copy that another run has started.
tool_exe="ravo_bb_$$.exe"
standin_exe="standin_bb_$$.exe"
cp "$exe" "$work/$tool_exe"
cp "$build/$standin_program" "$work/$standin_exe"

start_standin_and_tool "$work/$standin_exe" "$work/$tool_exe" "$log" "$work"
# replace X Y TEXT: clicks into an edit box of the tool and replaces its content.
replace() {
  click "$wid" "$1" "$2"
  xdotool key End
  for _ in $(seq 1 12); do xdotool key BackSpace; done
  xdotool type --delay 30 "$3"
  sleep 0.3
}
log_lines() { if [ -f "$log" ]; then wc -l < "$log"; else echo 0; fi; }
# wait_for_lines N [SECONDS]: until the log holds at least N lines.
wait_for_lines() {
  for _ in $(seq 1 $(( ${2:-20} * 10 ))); do
    [ "$(log_lines)" -ge "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
# wait_for_quiet: until no line has been added for 1.5 s (at most 20 s).
wait_for_quiet() {
  local last=-1 now
  for _ in $(seq 1 40); do
    now=$(log_lines)
    [ "$now" = "$last" ] && return 0
    last=$now
    sleep 1.5
  done
  return 1
}
texts() { cut -d' ' -f3- "$log"; }

# Positions in the tool's window (menu bar included) and in the stand-in's client area.
click "$wid" 230 48         # 选择框1: restore the nickname on stop
replace 384 46 "MyNick"     # 编辑框6

drag_crosshair_onto_standin

click "$wid" 327 77         # the billboard page

# 1. The scroller.
replace 277 126 "ab cd"     # 编辑框2
replace 214 157 "300"       # 编辑框3
click "$wid" 67 157         # 按钮1: start
wait_for_lines 3 20 || fail "the scroller wrote fewer than 3 texts"
click "$wid" 67 157         # 按钮1: stop
wait_for_quiet || fail "the scroller did not stop"
echo "stand-in log after the scroller:"; cat "$log"
# The blank is trimmed away once it reaches the front; from then on four turns repeat.
turn() {
  local first=("b cda" " cdab") cycle=("dabc" "abcd" "bcda" "cdab")
  if [ "$1" -lt 2 ]; then echo "${first[$1]}"; else echo "${cycle[$((($1 - 2) % 4))]}"; fi
}
mapfile -t got < <(texts)
n=${#got[@]}
[ "$n" -ge 4 ] || fail "expected at least 3 turns and the nickname, got $n texts"
for ((i = 0; i < n - 1; i++)); do
  [ "${got[$i]}" = "$(turn $i)" ] || fail "text $((i + 1)) is '${got[$i]}', expected '$(turn $i)'"
done
[ "${got[$((n - 1))]}" = "MyNick" ] || fail "the scroller's stop did not end with the nickname"
scroller_lines=$n

# 2. The billboard: three rows, stopped during the first pass.
rows=("first row" "second" "row 3 ")
for row in "${rows[@]}"; do
  replace 157 444 "$row"    # 编辑框4
  click "$wid" 327 444      # 按钮3: add
done
replace 223 477 "1000"      # 编辑框5
click "$wid" 77 478         # 按钮5: start
wait_for_lines $((scroller_lines + 1)) 20 || fail "the billboard wrote nothing"
import -window root "$build/e2e-billboard.png"
click "$wid" 77 478         # 按钮5: stop, most likely during the first pass
wait_for_quiet || fail "the billboard did not stop"
echo "stand-in log after the billboard:"; cat "$log"
# The nickname comes once, at the stop; without it the texts are whole passes over the
# rows in order, and the nickname stands in the last of them (no pass starts after it).
mapfile -t got < <(texts | tail -n +$((scroller_lines + 1)))
rest=()
nick_at=-1
for ((i = 0; i < ${#got[@]}; i++)); do
  if [ "${got[$i]}" = "MyNick" ]; then
    [ "$nick_at" = -1 ] || fail "the billboard's stop wrote the nickname twice"
    nick_at=${#rest[@]}
  else
    rest+=("${got[$i]}")
  fi
done
[ "$nick_at" -ge 1 ] || fail "no nickname after the first row: '${got[*]}'"
m=${#rest[@]}
[ $((m % 3)) = 0 ] || fail "the last pass was not completed: '${got[*]}'"
for ((i = 0; i < m; i++)); do
  [ "${rest[$i]}" = "${rows[$((i % 3))]}" ] || fail "row text $((i + 1)) is '${rest[$i]}': '${got[*]}'"
done
[ "$nick_at" -gt $((m - 3)) ] || fail "a pass started after the stop: '${got[*]}'"

# 3. Closed while the billboard runs.
before=$(log_lines)
click "$wid" 77 478         # 按钮5: start again
wait_for_lines $((before + 1)) 20 || fail "the billboard did not start again"
# A close request (WM_CLOSE) as the window's close box gives it. Not Alt+F4: every
# delivery hands the keyboard focus to the chat client.
wine taskkill /im "$tool_exe" >/dev/null 2>&1 || true
wait_for_exit "$tool" 20
[ "$EXIT_CODE" = 0 ] || fail "the tool ended with '$EXIT_CODE' when closed during the billboard"
tool=""

wine taskkill /im "$standin_exe" >/dev/null 2>&1 || true
wait_for_exit "$standin" 20
standin=""
echo "PASS: scroller turns, billboard pass and nicknames written in order; closed cleanly while running"
