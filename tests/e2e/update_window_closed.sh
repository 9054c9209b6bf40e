#!/usr/bin/env bash
# A forced update closed by hand while its download is under way: the download stops
# with the window, and nothing it fetched is started. The page also offers the update,
# so the question comes once the update window has gone and holds the process while the
# download would have had time to complete; the new program (which writes a marker when
# it runs) is never started, and nothing of it is left in the program's folder.
source "$(dirname "$0")/support/lib.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"
update_name="在线更新中请稍后"
question_caption="字幕工具版本更新提示："

update_flow_setup "$update_name"
served="$work/served/RavoSubtitler_v36.exe"
cp "$build/new_version_standin.exe" "$served"
size=$(stat -c %s "$served")
# About six seconds over five connections.
rate=$((size / 30 + 1))
start_update_host --port "$port" --force 是 --prompt 是 --sign-key "$key" \
  --serve "RavoSubtitler_v36.exe=$served" --rate "$rate"

(cd "$work/program" && exec wine RavoSubtitler.exe) &
pid=$!
wait_for_window "$update_name" 30 >/dev/null || fail "no update window appeared"
# The download is under way once the window counts its time.
for _ in $(seq 1 40); do
  wine "$build/window_probe.exe" "$work/update.txt" "$update_name" RavoSubtitler.exe >/dev/null 2>&1 </dev/null &&
    grep -q "已用时间：" "$work/update.txt" && break
  sleep 0.25
done
grep -q "已用时间：" "$work/update.txt" || fail "the download never got under way"
wine taskkill /im RavoSubtitler.exe >/dev/null 2>&1 </dev/null  # a close, as the window's X button gives
wait_for_window "$question_caption" 20 >/dev/null || fail "the question did not come after the update window closed"
# Long enough for the download to have completed, had it gone on.
sleep 10
marker="$work/program/new_version_started.txt"
[ ! -f "$marker" ] || fail "the new program was started after its window was closed: $(cat "$marker")"
kill -0 "$pid" 2>/dev/null || fail "the process ended while its question was open"
left=$(cd "$work/program" && LC_ALL=C ls -A | tr '\n' ' ')
[ "$left" = "RavoSubtitler.exe " ] || fail "the program's folder holds: $left"
wine taskkill /f /im RavoSubtitler.exe >/dev/null 2>&1 </dev/null || true
wait_for_exit "$pid" 20
pid=""
[ ! -f "$marker" ] || fail "the new program was started as the process ended"
echo "PASS: the update window closed by hand stopped its download; nothing was started or left behind"
