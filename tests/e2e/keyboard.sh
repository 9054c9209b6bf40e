#!/usr/bin/env bash
# The keyboard on the real window, with real key presses: Tab and Shift+Tab walk page 1's
# controls in layout order (the top strip included, the controls of other pages and the
# hidden storage left out) and keys reach the control that has the focus; Ctrl+Tab turns
# to page 2; Enter in 欲搜索内容 searches as the button does, and Enter and Space on the
# focused button search again. The stand-in lyrics site on the built-in lyrics host
# shows the searches.
source "$(dirname "$0")/support/lib.sh"
exe="$1"
build="$2"
screenshot_on_failure keyboard
site_flow_setup
start_tool_copy "$exe" "RavoSubtitler_keys_$$.exe"

# focused: the class and text of the control that has the focus, from window_probe's
# list (child lines hold a tab; "entry" lines belong to a list box).
focused() {
  wine "$build/window_probe.exe" "$(winepath -w "$work/probe.txt")" "$title" "$app" >/dev/null 2>&1 </dev/null ||
    fail "could not read the window"
  local n
  n=$(sed -n 's/^focus\t//p' "$work/probe.txt")
  [ "$n" -gt 0 ] 2>/dev/null || { echo "(none)"; return; }
  tail -n +2 "$work/probe.txt" | grep -P '\t' | grep -vP '^(entry|focus)\t' | sed -n "${n}p"
}
press() { xdotool key "$1"; sleep 0.3; }
searches() { grep -c '^GET /?keyword=yueguang&field=all ' "$log" 2>/dev/null || true; }
wait_for_searches() {
  for _ in $(seq 1 50); do [ "$(searches)" -ge "$1" ] && return 0; sleep 0.1; done
  fail "$2: the site got $(searches) searches, not $1"
}

xdotool mousemove --window "$wid" 80 77 click 1  # page 1's tab: the focus is on the tabs
sleep 0.5
folder="$(winepath -w "$work/app")"
expected=("ListBox	" "Button	跟随播放器" "SysListView32	" "Button	播 放" "Edit	$folder" "Button	导入目录"
          "Button	字幕完毕后恢复马甲" "Edit	" "ListBox	")
for want in "${expected[@]}"; do
  press Tab
  got="$(focused)"
  echo "Tab -> $got"
  [ "$got" = "$want" ] || fail "Tab went to '$got' instead of '$want'"
done
press shift+Tab
[ "$(focused)" = "Edit	" ] || fail "Shift+Tab went to '$(focused)' instead of 编辑框6"
xdotool type --delay 30 "Guest"
sleep 0.3
[ "$(focused)" = "Edit	Guest" ] || fail "the keys did not reach 编辑框6: '$(focused)'"

press ctrl+Tab                                   # page 2; the focus stays in the top strip
press Tab                                        # 欲搜索内容, the first control of page 2
[ "$(focused)" = "Edit	" ] || fail "Tab on page 2 went to '$(focused)'"
xdotool type --delay 30 "yueguang"
press Return
wait_for_searches 1 "Enter in the search box"
sleep 0.5
press Tab
[ "$(focused)" = "Button	在线快速搜索歌词" ] || fail "Tab went to '$(focused)' instead of the search button"
press Return
wait_for_searches 2 "Enter on the search button"
sleep 0.5
press space
wait_for_searches 3 "Space on the search button"
import -window root -crop 490x530+50+68 +repage "$build/e2e-keyboard-page2.png"

wine taskkill /im "$app" >/dev/null 2>&1 || true
wait_for_exit "$tool" 20
tool=""
[ "$EXIT_CODE" = 0 ] || fail "the tool ended with '$EXIT_CODE'"
echo "PASS: Tab order of page 1 both ways, keys into the focused box, Ctrl+Tab, Enter and Space searched"
