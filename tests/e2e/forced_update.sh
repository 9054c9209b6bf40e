#!/usr/bin/env bash
# A forced update from start to end, with the real program and the stand-in update host
# on the build's update host address (127.0.0.1:18611). The program is started from a
# working folder that is not its own, and the host answers the page slowly: the main
# window is up first, then the update window replaces it and counts once a second while
# the new program arrives slowly over five connections into the program's folder; the
# new program is started from there (it writes a marker), and the old process ends with
# exit code 0.
source "$(dirname "$0")/support/lib.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"

update_flow_setup "在线更新中请稍后"
mkdir "$work/elsewhere"
served="$work/served/RavoSubtitler_v36.exe"
cp "$build/new_version_standin.exe" "$served"
size=$(stat -c %s "$served")
# About four seconds over five connections.
rate=$((size / 20 + 1))

start_update_host --port "$port" --force 是 --serve "RavoSubtitler_v36.exe=$served" --sign-key "$key" \
  --rate "$rate" --page-delay 3

cd "$work/elsewhere"
wine "$work/program/RavoSubtitler.exe" &
pid=$!
wait_for_window "Ravo字幕器v3.5" 30 >/dev/null || fail "no main window while the page was on its way"
grep -q '"status": 200' "$work/host.log" 2>/dev/null && fail "the main window waited for the page"
wid=$(wait_for_window "在线更新中请稍后" 30) || fail "no update window appeared"
for _ in $(seq 1 100); do
  xdotool search --name "Ravo字幕器v3.5" >/dev/null 2>&1 || break
  sleep 0.1
done
if xdotool search --name "Ravo字幕器v3.5" >/dev/null 2>&1; then fail "the main window stays beside the update window"; fi

texts() { # texts FILE: the update window's controls, one "class<TAB>text" a line
  wine "$build/window_probe.exe" "$1" "在线更新中请稍后" >/dev/null 2>&1 </dev/null
}
label() { grep -o "$1[^	]*\$" "$2" | head -n 1 || true; }
# The first tick comes a second after the download started.
for _ in $(seq 1 40); do
  texts "$work/first.txt" || fail "could not read the update window"
  grep -q "已用时间：" "$work/first.txt" && break
  sleep 0.25
done
sleep 1.2
texts "$work/second.txt" || fail "could not read the update window a second time"
import -window root "$build/e2e-forced-update.png" 2>/dev/null || true
echo "update window, then:"; cut -f2 "$work/first.txt"; echo "a moment later:"; cut -f2 "$work/second.txt"

seconds() { label "已用时间：" "$1" | sed -n 's/^已用时间：\([0-9]*\)小时\([0-9]*\)分钟\([0-9]*\)秒$/\1 \2 \3/p'; }
read -r h1 m1 s1 < <(seconds "$work/first.txt") || fail "elapsed time not shown: $(label 已用时间 "$work/first.txt")"
read -r h2 m2 s2 < <(seconds "$work/second.txt") || fail "elapsed time not shown later"
[ $((h2 * 3600 + m2 * 60 + s2)) -gt $((h1 * 3600 + m1 * 60 + s1)) ] || fail "the elapsed time did not count on"
label "正在下载...已完成：" "$work/second.txt" | grep -Eq '^正在下载...已完成：[0-9]+%$' || fail "no percentage shown"
total_text=$(python3 -c 'import math, sys
m = int(sys.argv[1]) / 1024 * 100 + 1e-12
r = math.floor(m) + (1 if m - math.floor(m) >= 0.5 else 0)
print("%.13gKB" % (r / 100))' "$size")
label "已经下载：" "$work/second.txt" | grep -Eq "^已经下载：[0-9.]+K?B/$total_text\$" ||
  fail "downloaded/total not shown as .../$total_text: $(label 已经下载 "$work/second.txt")"
label "下载速度：" "$work/second.txt" | grep -Eq '/秒$' || fail "no speed shown"
cut -f2 "$work/first.txt" | grep -qx "正在更新,请稍等." || fail "the update button was not relabelled"

wait_for_exit "$pid" 60
pid=""
[ "$EXIT_CODE" = 0 ] || fail "the old program ended with '$EXIT_CODE'"
marker="$work/program/new_version_started.txt"
[ -f "$marker" ] || fail "the new program was not started (no marker)"
grep -q '^program=.*\\program\\RavoSubtitler_v36\.exe' "$marker" || fail "the new program ran from elsewhere: $(cat "$marker")"
cmp -s "$work/program/RavoSubtitler_v36.exe" "$served" || fail "the downloaded program differs from the served one"
left=$(cd "$work/program" && LC_ALL=C ls | tr '\n' ' ')
[ "$left" = "RavoSubtitler.exe RavoSubtitler_v36.exe new_version_started.txt " ] ||
  fail "the program's folder holds: $left"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "the working folder holds: $(ls -A "$work/elsewhere")"
# The host logs an answer once it is through with it, a moment after the last byte.
for _ in $(seq 1 50); do
  ranged=$(grep -c '"status": 206' "$work/host.log" || true)
  [ "$ranged" -ge 5 ] && break
  sleep 0.1
done
[ "$ranged" -eq 5 ] || fail "the program came over $ranged range requests, not 5"
echo "PASS: forced update after the main window: update window counted ${s1}s -> ${s2}s, new program saved and" \
  "started in the program's folder, old one ended with 0"
