# Sourced by the flows that follow a music player (after lib.sh): the lyrics they follow
# and the checks of what reached the target, against the player's position.
# Needs log, wid (lib.sh), title (the tool's plain title) and u, p: the unix ms when the
# player's last step took effect and its position then.

now_ms() { date +%s%3N; }

# write_follow_lyrics DIR LINES: the first track's lyric (title only, M1..M<LINES>, a line
# and its translation sharing 00:02.50), the second's beside a decoy of its title.
write_follow_lyrics() {
  local lrc='[ti:Morning Song]\n' i
  for i in $(seq 1 "$2"); do
    lrc+="[00:$(printf %02d $((i - 1))).50]M$i\n"
    [ "$i" = 3 ] && lrc+='[00:02.50]晨光\n'
  done
  printf "$lrc" > "$1/Morning Song.lrc"
  printf '[00:00.50]G1\n[00:01.50]G2\n[00:02.50]G3\n[00:03.50]G4\n' > "$1/Folk Band - Green Sleeves.lrc"
  printf '[00:00.50]DECOY1\n[00:01.50]DECOY2\n' > "$1/Green Sleeves.lrc"
}

# until_position MS: sleeps until the playing track reaches MS.
until_position() {
  local left=$((u + $1 - p - $(now_ms)))
  [ "$left" -gt 0 ] && sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
  return 0
}

# expect TEXT DUE BOUND: the next line of the target's log reads TEXT, and came between
# DUE - 50 (the reading's own rounding) and DUE + BOUND (unix ms).
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

# nothing_new WHEN: the target's log holds no line beyond those expected.
nothing_new() { [ "$(logged)" -eq "$seen" ] || { cat "$log" 2>/dev/null || true; fail "the target got a line it should not: $1"; }; }

# title_says NOTICE: the tool's title bar reads NOTICE before its plain title.
title_says() {
  local t=""
  for _ in $(seq 1 30); do t=$(xdotool getwindowname "$wid"); [ "$t" = "$1$title" ] && return 0; sleep 0.1; done
  fail "the title reads '$t', not '$1$title'"
}
