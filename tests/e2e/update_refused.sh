#!/usr/bin/env bash
# Updates the program refuses, with the real program and the stand-in update host on the
# build's update host address (127.0.0.1:18611):
#  1. a forced update whose page carries no signature is no update at all: the main
#     window stays, no update window opens, the program file is never asked for;
#  2. a validly signed forced update whose host serves other bytes than the signed ones
#     ends in the failure path: the update window says so, the download is deleted,
#     nothing is started, and the same process comes back with its main window.
source "$(dirname "$0")/support/lib.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"
update_flow_setup "在线更新中请稍后" "Ravo字幕器v3.5"
signed="$work/served/RavoSubtitler_v36.exe"
tampered="$work/served/tampered.exe"
cp "$build/new_version_standin.exe" "$signed"
python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[len(b) // 2] ^= 1; open(sys.argv[2], "wb").write(b)' \
  "$signed" "$tampered"

start_host() { # start_host NAME ARGS...: the stand-in on the build's port, logging to NAME.log
  local name="$1"
  shift
  rm -f "$work/ready"
  python3 "$RAVO_ROOT/tools/update_host.py" --port "$port" --ready-file "$work/ready" --log "$work/$name.log" \
    --lifetime 120 "$@" >"$work/$name.out" 2>&1 &
  host_pid=$!
  for _ in $(seq 1 100); do [ -f "$work/ready" ] && break; sleep 0.1; done
  [ -f "$work/ready" ] || fail "the stand-in update host did not start: $(cat "$work/$name.out")"
  touch "$work/$name.log"
}
stop_host() { kill "$host_pid" 2>/dev/null || true; wait "$host_pid" 2>/dev/null || true; }

# 1. Unsigned: the same forced page, without its signature.
start_host unsigned --force 是 --version 3.6.0 --serve "RavoSubtitler_v36.exe=$signed"
cd "$work/program"
wine RavoSubtitler.exe &
pid=$!
wait_for_window "Ravo字幕器v3.5" 30 >/dev/null || fail "no main window appeared"
for _ in $(seq 1 100); do grep -q ravocap1 "$work/unsigned.log" && break; sleep 0.1; done
grep -q ravocap1 "$work/unsigned.log" || fail "the update page was never read"
sleep 3
xdotool search --name "在线更新中请稍后" >/dev/null 2>&1 && fail "an update window opened for an unsigned page"
xdotool search --onlyvisible --name "Ravo字幕器v3.5" >/dev/null 2>&1 || fail "the main window went away"
grep -q '/files/' "$work/unsigned.log" && fail "the program file was asked for: $(cat "$work/unsigned.log")"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
stop_host
for _ in $(seq 1 50); do xdotool search --name "Ravo字幕器v3.5" >/dev/null 2>&1 || break; sleep 0.1; done

# 2. Tampered: signed for one file, another served.
start_host tampered --force 是 --name RavoSubtitler_v36.exe --signed-file "$signed" \
  --serve "RavoSubtitler_v36.exe=$tampered" --sign-key "$key"
wine RavoSubtitler.exe &
pid=$!
wait_for_window "在线更新中请稍后" 30 >/dev/null || fail "no update window appeared for a signed page"
failed=""
for _ in $(seq 1 120); do
  wine "$build/window_probe.exe" "$work/texts.txt" "在线更新中请稍后" RavoSubtitler.exe >/dev/null 2>&1 </dev/null || true
  grep -q "更新失败" "$work/texts.txt" 2>/dev/null && { failed=yes; break; }
  sleep 0.25
done
[ -n "$failed" ] || fail "the update window never said that the update failed"
grep -q '/files/' "$work/tampered.log" || fail "the program file was never downloaded"
wait_for_window "Ravo字幕器v3.5" 30 >/dev/null || fail "the tool did not come back with its main window"
kill -0 "$pid" 2>/dev/null || fail "the process ended instead of coming back"
[ ! -f "$work/program/new_version_started.txt" ] || fail "the tampered program was started"
left=$(cd "$work/program" && LC_ALL=C ls | tr '\n' ' ')
[ "$left" = "RavoSubtitler.exe " ] || fail "the program's folder holds: $left"
echo "PASS: an unsigned page is no update; a tampered download is deleted, nothing started, the tool came back"
