#!/usr/bin/env bash
# A forced update whose download trickles: the stand-in update host sends a signed 192 KiB
# program over one connection at 2 KiB/s, above the speed floor, so that only the
# download's overall deadline (the signed size at 16 KiB/s and a minute: 72 s, where the
# whole program would take 96 s) ends it.
# From its first moment the update window has all its controls and answers: an
# independent probe samples it every 100 ms for 10 s, and every sample finds its ten
# controls and an answer to a message within 200 ms. Then the update ends as failed
# within its deadline, the main window comes back in the same process, and nothing of the
# download is left in the program's folder.
source "$(dirname "$0")/support/lib.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"
main_name="Ravo字幕器v3.5"
update_name="在线更新中请稍后"
controls=10       # the update window's child windows
answer_ms=200     # the longest a sample may wait for the window's answer
deadline_s=72     # 192 KiB / 16 KiB/s + 60 s
failure_shown_s=3 # the update window says that the update failed for this long

update_flow_setup "$update_name" "$main_name"
head -c 196608 /dev/urandom >"$work/served/RavoSubtitler_v36.exe"
UPDATE_HOST_LIFETIME=280 start_update_host --port "$port" --force 是 --sign-key "$key" \
  --serve "RavoSubtitler_v36.exe=$work/served/RavoSubtitler_v36.exe" --no-ranges --rate 2048

# The probe watches from before the program starts, so that it sees the update window's
# first moment.
wine "$build/window_probe.exe" --watch "$(winepath -w "$work/samples.txt")" "$update_name" RavoSubtitler.exe 14 \
  >/dev/null 2>&1 </dev/null &
probe=$!
sleep 1
(cd "$work/program" && exec wine RavoSubtitler.exe) &
pid=$!
wait_for_window "$update_name" 30 >/dev/null || fail "no update window appeared"
appeared=$(date +%s.%N)
wait "$probe" || fail "the probe failed"
probe=""

samples=$(grep -c '^sample' "$work/samples.txt" || true)
[ "$samples" -ge 40 ] || fail "the probe took $samples samples of the update window: $(head -c 600 "$work/samples.txt")"
worst=$(awk -F'\t' '/^sample/ { if ($4 > w) w = $4 } END { print w + 0 }' "$work/samples.txt")
fewest=$(awk -F'\t' '/^sample/ { if (f == "" || $3 < f) f = $3 } END { print f + 0 }' "$work/samples.txt")
echo "update window: $samples samples every 100 ms, worst answer $worst ms, fewest controls $fewest"
[ "$fewest" -ge "$controls" ] || fail "a sample found $fewest controls in the update window, not $controls:
$(grep '^sample' "$work/samples.txt" | head -5)"
[ "$worst" -le "$answer_ms" ] || fail "the update window took $worst ms to answer:
$(awk -F'\t' -v l="$answer_ms" '/^sample/ && $4 > l' "$work/samples.txt" | head -5)"

# The deadline ends the trickle: the main window is back within it (and the failure's
# moment), and the process goes on.
limit=$((deadline_s + failure_shown_s + 15))
wait_for_window "$main_name" "$limit" >/dev/null || fail "the main window did not come back within $limit s"
held=$(python3 -c "import sys, time; print(round(time.time() - float(sys.argv[1])))" "$appeared")
kill -0 "$pid" 2>/dev/null || fail "the process ended instead of coming back"
sleep 1
left=$(LC_ALL=C ls -A "$work/program" | tr '\n' ' ')
[ "$left" = "RavoSubtitler.exe " ] || fail "the program's folder holds: $left"
echo "PASS: the update window answered within $worst ms at every sample with its $controls controls; the trickling" \
  "download (192 KiB at 2 KiB/s) held it $held s, then the main window came back (deadline $deadline_s s)"
