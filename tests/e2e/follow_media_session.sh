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
source "$(dirname "$0")/support/follow.sh"
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

write_follow_lyrics "$work" 10

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
