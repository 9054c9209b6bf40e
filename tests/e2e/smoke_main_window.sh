#!/usr/bin/env bash
# The real program starts under Wine, shows its main window, and ends cleanly when the
# window is closed.
source "$(dirname "$0")/support/lib.sh"
exe="$1"

wine "$exe" &
pid=$!
wid=$(wait_for_window "Ravo字幕器v3.5" 30) || fail "no main window appeared"
title=$(xdotool getwindowname "$wid")
[ "$title" = "Ravo语音社区-Ravo字幕器v3.5 官网:${RAVO_MAKER_ADDRESS:-www.ravo-voice.example}" ] || fail "title is '$title'"
echo "main window $wid: '$title'"

wine taskkill /im "$(basename "$exe")" >/dev/null 2>&1 || fail "taskkill failed"
wait_for_exit "$pid" 30
[ "$EXIT_CODE" = 0 ] || fail "program ended with '$EXIT_CODE'"
echo "PASS: main window shown and closed, exit code 0"
