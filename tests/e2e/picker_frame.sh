#!/usr/bin/env bash
# The frame the picker puts around the window under the cursor, as the user sees it: a
# screenshot of the X display taken while the crosshair is dragged onto the stand-in
# shows the frame along the stand-in's four sides (the title bar's side above its client
# area) and nowhere inside; once the button is let go, or Esc pressed, it is gone.
source "$(dirname "$0")/support/lib.sh"
exe="$1"
build="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"; ravo_stop_xvfb' EXIT
log="$work/standin.log"
frame_color='#FF0000'

start_standin_and_tool "$build/$standin_program" "$exe" "$log" "$work"
# The stand-in's client area on the screen: X Y WIDTH HEIGHT.
eval "$(xdotool getwindowgeometry --shell "$sid")"

# runs SHOT row|column AT: the runs of the frame's colour along one line of the screen,
# as "first-last" screen pixels.
runs() {
  local crop field
  if [ "$2" = row ]; then crop="1024x1+0+$3" field=1; else crop="1x1024+$3+0" field=2; fi
  convert "$1" -crop "$crop" +repage txt:- | grep -i "$frame_color" | tr ',:' '  ' | cut -d' ' -f"$field" |
    awk 'NR == 1 { s = $1 } NR > 1 && $1 != p + 1 { print s "-" p; s = $1 } { p = $1 } END { if (NR) print s "-" p }'
}

# sides_framed SHOT: the sides of the stand-in that a band of the frame's colour 2 to 8
# pixels wide runs along, across the middle of each side and within reach of its edge
# (the title bar above the client area), and "inside" for any of it within the window.
sides_framed() {
  local run first last sides=""
  for run in $(runs "$1" row $((Y + HEIGHT / 2))); do
    first=${run%-*} last=${run#*-}
    if [ $((last - first)) -lt 1 ] || [ $((last - first)) -gt 7 ]; then sides+=" odd"
    elif [ "$last" -lt $((X + 8)) ] && [ "$first" -ge $((X - 40)) ]; then sides+=" left"
    elif [ "$first" -gt $((X + WIDTH - 8)) ] && [ "$last" -le $((X + WIDTH + 40)) ]; then sides+=" right"
    elif [ "$first" -ge $((X + 8)) ] && [ "$last" -le $((X + WIDTH - 8)) ]; then sides+=" inside"
    fi
  done
  for run in $(runs "$1" column $((X + WIDTH / 2))); do
    first=${run%-*} last=${run#*-}
    if [ $((last - first)) -lt 1 ] || [ $((last - first)) -gt 7 ]; then sides+=" odd"
    elif [ "$last" -lt $((Y + 8)) ] && [ "$first" -ge $((Y - 80)) ]; then sides+=" top"
    elif [ "$first" -gt $((Y + HEIGHT - 8)) ] && [ "$last" -le $((Y + HEIGHT + 40)) ]; then sides+=" bottom"
    elif [ "$first" -ge $((Y + 8)) ] && [ "$last" -le $((Y + HEIGHT - 8)) ]; then sides+=" inside"
    fi
  done
  echo "${sides# }"
}

shot() { import -window root "$work/$1.png"; }

# The user presses on the capture board, drags onto the stand-in's nickname field and
# ends the pick there: by letting go, or by Esc with the button still held.
pick() {
  xdotool windowfocus --sync "$wid"  # as a window manager gives the clicked tool the keyboard
  at "$wid" 24 44
  xdotool mousedown 1
  sleep 0.3
  for step in 1 2 3 4 5; do at "$sid" $((298 - 40 * (5 - step))) 124; sleep 0.1; done
  sleep 0.5
  shot "$1-during"
  if [ "$1" = esc ]; then xdotool key Escape; sleep 0.5; shot esc-after; fi
  xdotool mouseup 1
  sleep 0.5
  [ "$1" = esc ] || shot release-after
}

shot before
pick release
pick esc

checks=(
  # screenshot      sides the frame runs along
  "before         |"
  "release-during |left right top bottom"
  "release-after  |"
  "esc-during     |left right top bottom"
  "esc-after      |"
)
failed=0
for check in "${checks[@]}"; do
  name=$(echo "${check%%|*}" | tr -d ' ')
  want="${check#*|}"
  got=$(sides_framed "$work/$name.png")
  if [ "$got" = "$want" ]; then
    echo "ok   $name: '${got}'"
  else
    echo "FAIL $name: the frame runs along '${got}', expected '${want}'" >&2
    cp "$work/$name.png" "$build/e2e-picker-frame-$name.png"
    failed=1
  fi
done
[ "$failed" = 0 ] || fail "the frame is not seen on the display as it should be (screenshots in $build)"

end_tool_and_standin
echo "PASS: the frame is seen around the window under the cursor during a pick, and gone after it"
