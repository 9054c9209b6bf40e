#!/usr/bin/env bash
# Whole flow with the stand-in media session (tools/media_session_standin.md) registered
# in the prefix and no classic player: with 跟随播放器 ticked, "播 放" follows the
# session's current track, whose timeline the stand-in updates only at a new track, play,
# pause and seek, as real players do. Each line must reach the target when the session's
# position reaches it; a pause writes nothing; a seek writes the line landed on once; the
# next track's lyric is found by name; the session closing leaves following waiting for a
# player; the session's async operations completing 1 s late leave the tool answering and
# the lines on time. The class is removed from the registry at the end.
source "$(dirname "$0")/support/lib.sh"
source "$(dirname "$0")/support/media_session.sh"
exe="$1"
build="$2"
work="$(mktemp -d)"
screenshot_on_failure follow-media-session
stop_all() {
  set +e
  unregister_media_session
  for p in ${tool:-} ${standin:-}; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
  ravo_stop_xvfb
}
trap stop_all EXIT
log="$work/standin.log"
late=150   # ms a timed line may come after the session reached it
seek=250   # ms a seek's line may take
register_media_session "$work/session.script"

printf '[ti:Morning Song]\n[00:00.50]M1\n[00:01.50]M2\n[00:02.50]M3\n[00:02.50]晨光\n[00:03.50]M4\n[00:04.50]M5\n[00:05.50]M6\n[00:06.50]M7\n[00:07.50]M8\n[00:08.50]M9\n[00:09.50]M10\n' \
  > "$work/Morning Song.lrc"
printf '[00:00.50]G1\n[00:01.50]G2\n[00:02.50]G3\n[00:03.50]G4\n' > "$work/Folk Band - Green Sleeves.lrc"
printf '[00:00.50]DECOY1\n[00:01.50]DECOY2\n' > "$work/Green Sleeves.lrc"

now_ms() { date +%s%3N; }
# step COMMAND: one step of the session's player; u is when it happened and p the
# position then (the test keeps the player's true position as the stand-in does).
playing=0
step() {
  local was_u=${u:-0}
  media_step "$1"
  case "$1" in
    track*) p=0; playing=1 ;;
    pause) [ "$playing" = 1 ] && p=$((p + media_u - was_u)); playing=0 ;;
    play) [ "$playing" = 1 ] && p=$((p + media_u - was_u)); playing=1 ;;
    seek*) p=${1#seek } ;;
    *) [ "$playing" = 1 ] && p=$((p + media_u - was_u)) ;;
  esac
  u=$media_u
}
# until_position MS: sleeps until the playing track reaches MS.
until_position() {
  local left=$((u + $1 - p - $(now_ms)))
  [ "$left" -gt 0 ] && sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
  return 0
}
# expect TEXT DUE BOUND: the next line of the target's log reads TEXT, and came between
# DUE - 50 and DUE + BOUND (unix ms).
seen=0
expect() {
  wait_for_logged $((seen + 1))
  local got text at
  got=$(sed -n "$((seen + 1))p" "$log" 2>/dev/null || true)
  text=$(cut -d' ' -f3- <<< "$got")
  at=$(cut -d' ' -f1 <<< "$got")
  [ "$text" = "$1" ] || { cat "$log" 2>/dev/null || true; fail "line $((seen + 1)) of the target is '$text', not '$1'"; }
  echo "$1 at $((at - $2)) ms"
  [ $((at - $2)) -ge -50 ] && [ $((at - $2)) -le "$3" ] || fail "'$1' came $((at - $2)) ms after it was due (bound $3)"
  seen=$((seen + 1))
}
nothing_new() { [ "$(logged)" -eq "$seen" ] || { cat "$log" 2>/dev/null || true; fail "the target got a line it should not: $1"; }; }
title_says() {
  local t=""
  for _ in $(seq 1 30); do t=$(xdotool getwindowname "$wid"); [ "$t" = "$1$title" ] && return 0; sleep 0.1; done
  fail "the title reads '$t', not '$1$title'"
}

start_standin_and_tool "$build/$standin_program" "$exe" "$log" "$work"
title=$(xdotool getwindowname "$wid")
restore_nickname_as MyNick
drag_crosshair_onto_standin
click "$wid" 40 416         # 跟随播放器
click "$wid" 76 453         # 播 放: no classic player, no session yet
title_says "[没有找到播放器] "
nothing_new "before a session plays"

# A track of the session, followed on time; the line and its translation as one text.
step "track |Morning Song|60000"
expect M1 $((u + 500 - p)) $late
expect M2 $((u + 1500 - p)) $late
expect "M3 / 晨光" $((u + 2500 - p)) $late
title_says ""
# A pause of 1.5 s between M3 and M4 writes nothing; M4 comes when the session reaches it.
until_position 2800
step pause
sleep 1.5
nothing_new "while the session was paused"
step play
expect M4 $((u + 3500 - p)) $late
# A seek forward to 8.2 s: M8 once, not M5 to M7; M9 on time.
until_position 4000
step "seek 8200"
expect M8 "$u" $seek
expect M9 $((u + 8500 - p)) $late
nothing_new "after the seek"

# The next track: the nickname back at the last one's end, then its lyric by name, not
# the decoy, with no press.
step "track Folk Band|Green Sleeves|60000"
expect MyNick "$u" $seek
expect G1 $((u + 500 - p)) $late
expect G2 $((u + 1500 - p)) $late
[ "$(media_session_threads)" = 1 ] || fail "following the session, the tool runs $(media_session_threads) media session workers"

# The session closes: the track has ended, the nickname comes back; following waits for
# a player, and writes nothing more.
closed_at=$(now_ms)
step close
expect MyNick "$closed_at" 1000
title_says "[没有找到播放器] "
sleep 1
nothing_new "while no session played"

# The session's async operations 1 s late: the new track is seen late, its line of the
# moment written then, the next on time, and the tool answers throughout.
step "late 1000"
step "track |Morning Song|60000"
wine "$build/window_probe.exe" --watch "$(winepath -w "$work/watch.txt")" "$title" "$(basename "$exe")" 2 \
  >/dev/null 2>&1 </dev/null || fail "could not watch the tool's window while the session answered late"
worst=$(awk -F'\t' '$1 == "sample" && $4 > w { w = $4 } END { print w + 0 }' "$work/watch.txt")
echo "the tool's worst answer while the session answered late: $worst ms"
[ "$(grep -c '^sample' "$work/watch.txt")" -ge 10 ] || fail "the watch took too few samples"
[ "$worst" -lt 250 ] || fail "the tool took $worst ms to answer while the session answered late"
expect M1 "$((u + 500))" $((1000 + seek))
expect M2 $((u + 1500 - p)) $late
expect "M3 / 晨光" $((u + 2500 - p)) $late

# 停 止 ends following and writes the nickname back.
stop_at=$(now_ms)
click "$wid" 76 453
expect MyNick "$stop_at" 1000
sleep 1
nothing_new "after the stop"
# Read by nobody, the session's worker ends within 3 s.
sleep 3
[ "$(media_session_threads)" = 0 ] || fail "the media session worker runs on after following stopped"
echo "target log:"; cat "$log"
end_tool_and_standin
echo "PASS: the lyric follows the media session through play, pause, a seek, tracks, its closing and late answers"
