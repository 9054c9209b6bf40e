#!/usr/bin/env bash
# Whole flow with a stand-in music player (tools/player_standin.md): with 跟随播放器
# ticked, "播 放" follows the player instead of the song's own clock. Each line must reach
# the target when the player's position reaches it; a pause writes nothing; a seek
# forward and a seek back each write the line landed on once and none jumped over; the
# next track's lyric is found in the folder by name after the nickname has come back (a decoy "<title>.lrc" beside
# "<artist> - <title>.lrc") and followed with no press; a track without a lyric writes
# nothing, says so and writes the nickname back; the player closed and started again is
# followed again; a player hung for 2 s leaves the tool answering, and following goes on
# when it answers; the hot keys shift the lines against the player and stop following.
source "$(dirname "$0")/support/lib.sh"
source "$(dirname "$0")/support/media_session.sh"
source "$(dirname "$0")/support/follow.sh"
exe="$1"
build="$2"
work="$(mktemp -d)"
player=""
screenshot_on_failure follow-player
stop_all() {
  set +e
  for p in ${tool:-} ${standin:-} $player; do kill "$p" 2>/dev/null; done
  wine taskkill /im player_standin.exe >/dev/null 2>&1
  rm -rf "$work"
  ravo_stop_xvfb
}
trap stop_all EXIT
log="$work/standin.log"
commands="$work/player.commands"
plog="$work/player.log"
late=150   # ms a timed line may come after the player reached it
seek=250   # ms a seek's line may take
: > "$commands"
: > "$plog"

# The lyrics of write_follow_lyrics (support/follow.sh), and a third
# track with none. A line and its translation share 00:02.50.
write_follow_lyrics "$work" 12

start_player() {
  wine "$build/player_standin.exe" "$(winepath -w "$commands")" "$(winepath -w "$plog")" &
  player=$!
  wait_for_window "^Winamp" 30 >/dev/null || fail "the stand-in player did not start"
}
# player COMMAND: has the stand-in player run COMMAND and waits until it logs it; sets
# u and p: the unix ms when it took effect and the position then.
player() {
  local before
  before=$(wc -l < "$plog" 2>/dev/null || echo 0)
  echo "$1" >> "$commands"
  for _ in $(seq 1 200); do [ "$(wc -l < "$plog" 2>/dev/null || echo 0)" -gt "$before" ] && break; sleep 0.02; done
  read -r u p _ < <(tail -n 1 "$plog")
}

start_player
start_standin_and_tool "$build/$standin_program" "$exe" "$log" "$work"
title=$(xdotool getwindowname "$wid")
restore_nickname_as MyNick
drag_crosshair_onto_standin
click "$wid" 40 416         # 跟随播放器
click "$wid" 76 453         # 播 放: no lyric chosen; the player plays nothing yet
title_says "[等待播放器播放] "
nothing_new "before the player plays"

# The first track, followed on time; the line and its translation as one text.
player "play 1 Morning Song"
expect M1 $((u + 500 - p)) $late
expect M2 $((u + 1500 - p)) $late
expect "M3 / 晨光" $((u + 2500 - p)) $late
title_says ""
# A pause of 1.5 s between M3 and M4 writes nothing; M4 comes when the player reaches it.
until_position 2800
player "pause"
sleep 1.5
nothing_new "while the player was paused"
player "resume"
expect M4 $((u + 3500 - p)) $late
# A seek forward from 4 s to 8.2 s: M8 once, not M5 to M7.
until_position 4000
player "seek 8200"
expect M8 "$u" $seek
until_position 8700
expect M9 $((u + 8500 - p)) $late
# A seek back to 5.2 s: M5 once, then M6 on time.
player "seek 5200"
expect M5 "$u" $seek
expect M6 $((u + 5500 - p)) $late
nothing_new "after the seek back"

# The next track: the last one's line stood until its end, and the nickname comes back;
# then the new track's lyric by name, not the decoy, with no press.
player "next Folk Band - Green Sleeves"
expect MyNick "$u" $seek
expect G1 $((u + 500 - p)) $late
expect G2 $((u + 1500 - p)) $late
probe() {
  wine "$build/window_probe.exe" "$(winepath -w "$work/probe.txt")" "$1" "$(basename "$exe")" >/dev/null 2>&1 </dev/null ||
    fail "could not read the tool's window ($?)"
}
probe "$title"
# The lyric chosen in the list (in name order the first entry, the decoy the second) and
# shown in the table, its second line selected.
[ "$(grep -m1 $'^entry\t' "$work/probe.txt")" = $'entry\tFolk Band - Green Sleeves.lrc' ] &&
  grep -qx $'selected entry\t0' "$work/probe.txt" || fail "the list does not select the second track's lyric: $(grep entry "$work/probe.txt")"
grep -qP '^SysListView32\t.*selected 1$' "$work/probe.txt" || fail "the lyric table does not show G2 as written last"
# A track without a lyric: nothing written, the title says so, the nickname back.
until_position 1800
player "next Nobody - Silent Track"
expect MyNick "$u" $seek
title_says "[没有找到《Silent Track》的歌词] "
sleep 1.5
nothing_new "for a track without a lyric"
# A track with a lyric again is followed by itself.
player "next Folk Band - Green Sleeves"
expect G1 $((u + 500 - p)) $late
title_says ""

# The player closed: the track has ended, the nickname comes back, and following waits
# for a player; started again, it is followed again.
quit_at=$(now_ms)
player "quit"
wait_for_exit "$player" 20
expect MyNick "$quit_at" 2000
title_says "[没有找到播放器] "
sleep 1
nothing_new "while no player ran"
start_player
player "play 1 Morning Song"
expect M1 $((u + 500 - p)) $late

# The player hung for 2 s right after M1: the tool answers throughout; when the player
# answers again, past 2.5 s, M3 (the line at its position) comes at once, M4 on time.
player "hang 2000"
hang_u=$u
hang_p=$p
wine "$build/window_probe.exe" --watch "$(winepath -w "$work/watch.txt")" "$title" "$(basename "$exe")" 2 \
  >/dev/null 2>&1 </dev/null || fail "could not watch the tool's window while the player hung"
worst=$(awk -F'\t' '$1 == "sample" && $4 > w { w = $4 } END { print w + 0 }' "$work/watch.txt")
echo "the tool's worst answer while the player hung: $worst ms"
[ "$(grep -c '^sample' "$work/watch.txt")" -ge 10 ] || fail "the watch took too few samples"
[ "$worst" -lt 250 ] || fail "the tool took $worst ms to answer while the player hung"
expect "M3 / 晨光" $((hang_u + 2000)) $seek
expect M4 $((hang_u + 3500 - hang_p)) $late
# Plain Wine has no media session: the look for one, at the first reading, left no thread.
[ "$(media_session_threads)" = 0 ] || fail "a media session worker runs on a system without the session"

# The keys: Ctrl+Alt+Right brings the lines 0.5 s earlier against the player (the title
# shows it), Ctrl+Alt+Down writes the next line now and keeps the rest at their spacing;
# Ctrl+Alt+P stops, and the nickname comes back once.
until_position 3800
xdotool key ctrl+alt+Right
expect M5 $((u + 4000 - p)) $late
title_says "[+0.5 s] "
until_position 4300
pressed=$(now_ms)
xdotool key ctrl+alt+Down
expect M6 "$pressed" $late
m6_at=$(sed -n "${seen}p" "$log" | cut -d' ' -f1)
expect M7 $((m6_at + 1000)) $late
stop_at=$(now_ms)
xdotool key ctrl+alt+p
expect MyNick "$stop_at" 1000
title_says ""
sleep 1
nothing_new "after the stop"
echo "target log:"; cat "$log"
player "quit"
wait_for_exit "$player" 20
end_tool_and_standin
echo "PASS: the lyric follows the player through play, pause, seeks, tracks, a restart and a hang"
