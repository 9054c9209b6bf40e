#!/usr/bin/env bash
# A forced update whose download is cut off (the stand-in update host on the build's
# address, 127.0.0.1:18611, without ranges, closing the answer early): the update window
# says that the update failed, then the program starts its own file anew and the old
# process ends with 0. The new process reads a page that no longer asks for an update and
# shows its main window; nothing of the download is left in the program's folder.
source "$(dirname "$0")/support/lib.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"
port=18611
failed_text="更新失败,请稍后再试或到官网下载新版本"

require_free_port "$port"
xdotool search --name "在线更新中请稍后|Ravo字幕器v3.5" >/dev/null 2>&1 && fail "a window of the tool is already open on $DISPLAY"

work="$(mktemp -d)"
host_pid=""
pid=""
program="RavoSubtitler.exe"
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  # The restarted program is no child of this shell.
  wine taskkill /f /im "$program" >/dev/null 2>&1 </dev/null || true
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  rm -rf "$work"
  ravo_stop_xvfb
}
trap cleanup EXIT

mkdir -p "$work/program" "$work/served"
cp "$exe" "$work/program/$program"
served="$work/served/RavoSubtitler_v36.exe"
cp "$build/new_version_standin.exe" "$served"
cut=$(( $(stat -c %s "$served") / 3 ))
# Two page answers ask for the update (the check and the update window's own read);
# the restarted program's check finds none.
key="${RAVO_UPDATE_SIGNING_KEY:-$build/update-key/private.pem}"
[ -f "$key" ] || fail "no signing key of this build at $key"
start_update_host --port "$port" --force 是 --switch-pages 2 --sign-key "$key" \
  --serve "RavoSubtitler_v36.exe=$served" --no-ranges --cut-after "$cut"

cd "$work/program"
wine "$program" &
pid=$!
wait_for_window "在线更新中请稍后" 30 >/dev/null || fail "no update window appeared"
shown=""
for _ in $(seq 1 60); do
  if wine "$build/window_probe.exe" "$work/update.txt" "在线更新中请稍后" "$program" >/dev/null 2>&1 </dev/null &&
     grep -q "$failed_text" "$work/update.txt"; then
    shown=yes
    break
  fi
  sleep 0.25
done
[ -n "$shown" ] || fail "the update window never said that the update failed: $(cut -f2 "$work/update.txt" | tr '\n' '|')"
import -window root "$build/e2e-update-failed.png" 2>/dev/null || true
grep -q '"cut": true' "$work/host.log" || fail "the download was not cut off"

wait_for_exit "$pid" 30
pid=""
[ "$EXIT_CODE" = 0 ] || fail "the old program ended with '$EXIT_CODE'"
wid=$(wait_for_window "Ravo字幕器v3.5" 30) || fail "the tool did not come back"
title=$(xdotool getwindowname "$wid")
wine "$build/window_probe.exe" "$work/main.txt" "$title" "$program" >/dev/null 2>&1 </dev/null ||
  fail "the main window that came back is not the tool's"
pages=$(grep -c '"path": "/vodovuzedova/ravocap1.html"' "$work/host.log" || true)
[ "$pages" -ge 3 ] || fail "the page was read $pages times: the tool did not start anew"
left=$(LC_ALL=C ls -A "$work/program" | tr '\n' ' ')
[ "$left" = "$program " ] || fail "the program's folder holds: $left"
echo "PASS: cut-off download: failure shown, old process ended with 0, the tool came back with its main window," \
  "nothing left behind"
