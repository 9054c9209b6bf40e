#!/usr/bin/env bash
# Whole flow of the online lyric search against the stand-in lyrics site, which the tool
# reaches at its built-in lyrics host (so the site must get that port): a title the site
# does not know brings the no-hit message; a known one lists its hits; a click on a row
# previews the lyric; a double click saves it as "<song>.lrc" in the program's folder,
# which is also the lyrics folder here, so that the file list shows it. A screenshot of
# page 2 with results and a preview is kept in the build folder.
source "$(dirname "$0")/support/lib.sh"
exe="$1"
build="$2"
screenshot_on_failure lyric-search
site_flow_setup
# Downloads land in the program's own folder.
start_tool_copy "$exe" "RavoSubtitler_e2e_$$.exe"

at() { xdotool mousemove --window "$wid" "$1" "$2"; }
click() { at "$1" "$2"; xdotool click 1; sleep 0.5; }
# wait_for_log TEXT: waits until a line of the site's log is exactly TEXT.
wait_for_log() {
  for _ in $(seq 1 100); do grep -qxF "$1" "$log" 2>/dev/null && return 0; sleep 0.1; done
  echo "site log:"; cat "$log"
  fail "the site never got '$1'"
}
# search_for KEYWORD: types the keyword into 欲搜索内容 and presses the search button.
# Wine hands key presses to its desktop's foreground window, and programs of one Wine
# prefix share that desktop whatever display they show on: another test's window that
# comes to the front takes the keys. The site's log shows what was searched, so a
# search that went out without the keyword is typed again.
search_for() {
  local expected="GET /?keyword=$1&field=all HTTP/1.0" before
  for attempt in 1 2 3; do
    before=$(grep -c '^GET /?keyword=' "$log" 2>/dev/null || true)
    click 104 104                                # 欲搜索内容
    xdotool key End $(printf 'BackSpace %.0s' $(seq 1 20))
    xdotool type --delay 30 "$1"
    sleep 0.3
    click 88 127                                 # 在线快速搜索歌词
    for _ in $(seq 1 50); do
      [ "$(grep -c '^GET /?keyword=' "$log" 2>/dev/null || true)" -gt "${before:-0}" ] && break
      sleep 0.1
    done
    [ "$(grep '^GET /?keyword=' "$log" | tail -n 1)" = "$expected" ] && return 0
    echo "search attempt $attempt went out as: $(grep '^GET /?keyword=' "$log" | tail -n 1)"
    # A search for the wrong keyword may have opened the no-hit message; close it.
    close_message_box || true
  done
  fail "the site never got '$expected'"
}
# close_message_box: closes the "信息：" box with a click in it and Return.
close_message_box() {
  local box
  box=$(xdotool search --onlyvisible --name "信息：" 2>/dev/null | head -n 1) || true
  [ -n "$box" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove $((X + 60)) $((Y + 20)) click 1 sleep 0.3 key Return
  for _ in $(seq 1 50); do xdotool search --onlyvisible --name "信息：" >/dev/null 2>&1 || return 0; sleep 0.1; done
  return 1
}
file_list() {
  wine "$build/window_probe.exe" "$(winepath -w "$work/list.txt")" "$title" "$app" >/dev/null 2>&1 </dev/null ||
    fail "could not read the file list"
  sed -n 's/^entry\t//p' "$work/list.txt"
}

click 220 77                                     # page 2
search_for "zzz"
wait_for_window "信息：" 10 >/dev/null || fail "no message box for a title the site does not know"
close_message_box || fail "the message box did not close"
sleep 0.5

search_for "yueguang"
request=$(awk '/^GET \/\?keyword=yueguang/ {on=1} on && /^$/ {exit} on' "$log")
echo "the search request as the site logged it:"; echo "$request"
grep -qxF "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)" <<<"$request" || fail "wrong user agent"
[ "$(grep -c '^Accept:' <<<"$request")" = 1 ] && grep -qxF "Accept: */*" <<<"$request" || fail "Accept is not '*/*' once"

[ -z "$(file_list)" ] || fail "the file list was not empty before the download"
click 60 183                                     # second hit: 月光河 by 小舟
wait_for_log "GET /lrc/yueguang_he_xiaozhou.lrc HTTP/1.0"
sleep 0.5
import -window root -crop 490x530+50+68 +repage "$build/e2e-lyric-search-page2.png"

at 60 183
xdotool click --repeat 2 --delay 80 1
saved="$work/app/月光河.lrc"
for _ in $(seq 1 50); do [ -f "$saved" ] && break; sleep 0.1; done
[ -f "$saved" ] || fail "no 月光河.lrc in the program's folder after the double click"
sleep 0.5
cmp "$saved" "$RAVO_ROOT/tools/lyrics/yueguang_he_xiaozhou.lrc" || fail "the saved lyric differs from the site's file"
[ "$(file_list)" = "月光河.lrc" ] || fail "the file list shows '$(cat "$work/list.txt")' instead of 月光河.lrc"

wine taskkill /im "$app" >/dev/null 2>&1 || true
wait_for_exit "$tool" 20
tool=""
[ "$EXIT_CODE" = 0 ] || fail "the tool ended with '$EXIT_CODE'"
echo "requests the site got:"; grep '^GET' "$log"
echo "PASS: no-hit message, hits listed, preview fetched, lyric saved byte for byte and listed"
