#!/usr/bin/env bash
# The frame the picker puts around the window under the cursor, as the user sees it:
# screenshots of the X display are compared with one taken before the pick. While the
# crosshair is dragged onto the stand-in, after it has passed over the frame's bottom,
# the frame shows along the stand-in's four sides (the title bar's side above its client
# area) and nowhere inside; once the button is let go, or Esc pressed, nothing of it is
# left. A frame drawn onto the screen is erased wherever a window passes over it (the
# crosshair's own) and leaves a trail when it is inverted back.
source "$(dirname "$0")/support/lib.sh"
exe="$1"
build="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"; ravo_stop_xvfb' EXIT

start_standin_and_tool "$build/$standin_program" "$exe" "$work/standin.log" "$work"
# The stand-in's client area on the screen: X Y WIDTH HEIGHT.
eval "$(xdotool getwindowgeometry --shell "$sid")"

shot() { import -window root "$work/$1.png"; }

# changed SHOT row|column AT: the runs of pixels along one line of the screen that SHOT
# shows otherwise than the screenshot before the pick, as "first-last" screen pixels.
changed() {
  local crop field
  if [ "$2" = row ]; then crop="1024x1+0+$3" field=1; else crop="1x1024+$3+0" field=2; fi
  convert "$work/before.png" "$1" -crop "$crop" +repage -compose difference -composite txt:- |
    grep -v '^#' | grep -v '#000000' | tr ',:' '  ' | cut -d' ' -f"$field" |
    awk 'NR == 1 { s = $1 } NR > 1 && $1 != p + 1 { print s "-" p; s = $1 } { p = $1 } END { if (NR) print s "-" p }'
}

# sides_framed SHOT: the sides of the stand-in along which a band 2 to 8 pixels wide has
# changed, across the middle of each side and within reach of its edge (the title bar
# above the client area); "inside" for a change within the window, "odd" for a change
# near an edge of another width.
sides_framed() {
  local run first last sides=""
  for run in $(changed "$1" row $((Y + HEIGHT / 2))); do
    first=${run%-*} last=${run#*-}
    if [ "$first" -ge $((X + 8)) ] && [ "$last" -le $((X + WIDTH - 8)) ]; then sides+=" inside"
    elif [ "$last" -lt $((X - 40)) ] || [ "$first" -gt $((X + WIDTH + 40)) ]; then continue
    elif [ $((last - first)) -lt 1 ] || [ $((last - first)) -gt 7 ]; then sides+=" odd"
    elif [ "$last" -lt $((X + 8)) ]; then sides+=" left"
    else sides+=" right"
    fi
  done
  for run in $(changed "$1" column $((X + WIDTH / 2))); do
    first=${run%-*} last=${run#*-}
    if [ "$first" -ge $((Y + 8)) ] && [ "$last" -le $((Y + HEIGHT - 8)) ]; then sides+=" inside"
    elif [ "$last" -lt $((Y - 80)) ] || [ "$first" -gt $((Y + HEIGHT + 40)) ]; then continue
    elif [ $((last - first)) -lt 1 ] || [ $((last - first)) -gt 7 ]; then sides+=" odd"
    elif [ "$last" -lt $((Y + 8)) ]; then sides+=" top"
    else sides+=" bottom"
    fi
  done
  echo "${sides# }"
}

# The user presses on the capture board, drags onto the stand-in, over the frame's bottom
# at the middle (client point 240,236: the crosshair covers the band), on to the client
# point 380,60, off the lines looked at, and ends the pick there: by letting go, or by
# Esc with the button still held.
pick() {
  xdotool windowfocus --sync "$wid"  # as a window manager gives the clicked tool the keyboard
  at "$wid" 24 44
  xdotool mousedown 1
  sleep 0.3
  for point in "240 100" "240 236" "300 150" "380 60"; do at "$sid" $point; sleep 0.3; done
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
  # screenshot      sides along which the frame is seen
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
    echo "ok   $name: '$got'"
  else
    echo "FAIL $name: changed along '$got', expected '$want'" >&2
    cp "$work/before.png" "$build/e2e-picker-frame-before.png"
    cp "$work/$name.png" "$build/e2e-picker-frame-$name.png"
    failed=1
  fi
done
[ "$failed" = 0 ] || fail "the frame is not seen on the display as it should be (screenshots in $build)"

end_tool_and_standin
echo "PASS: the frame is seen around the window under the cursor during a pick, and nothing of it after"
