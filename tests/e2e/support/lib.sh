# Shared by the whole-flow tests: Wine set-up, a display, waiting for windows.
# Sourced; the caller passes the program and the build folder as $1 and $2.
set -euo pipefail
RAVO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
source "$RAVO_ROOT/scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  ravo_start_xvfb
  trap ravo_stop_xvfb EXIT
fi

# fail MESSAGE: ends the flow as failed; after screenshot_on_failure NAME the screen is
# kept as $build/e2e-NAME-failure.png for a look at what the programs showed.
fail() {
  echo "FAIL: $*" >&2
  [ -n "${failure_screenshot:-}" ] && [ -n "${DISPLAY:-}" ] && import -window root "$failure_screenshot" 2>/dev/null
  exit 1
}
screenshot_on_failure() { failure_screenshot="$build/e2e-$1-failure.png"; }

# build_setting NAME: a value the build was configured with (its build_settings.h).
build_setting() { sed -n "s/^#define $1 \"\\(.*\\)\"\$/\\1/p" "$build/generated/build_settings.h"; }

# The stand-in the flows write into: the chat client (chat_standin.exe), or with
# RAVO_STANDIN=edit an ordinary program's text box (edit_standin.exe), a standard edit
# control where the chat client has its field; both log what stood in the field alike.
if [ "${RAVO_STANDIN:-chat}" = edit ]; then
  standin_program=edit_standin.exe
  standin_title="Ravo Edit Stand-in"
else
  standin_program=chat_standin.exe
  standin_title="Ravo Chat Stand-in"
fi

# wait_for_window NAME-REGEX [SECONDS]: prints the X window id of the first visible match.
wait_for_window() {
  local name="$1" seconds="${2:-30}" wid=""
  for _ in $(seq 1 $((seconds * 10))); do
    wid=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    sleep 0.1
  done
  return 1
}

# wait_for_exit PID [SECONDS]: waits for a background process of this shell and sets
# EXIT_CODE to its exit code, or to "timeout" (the process is then killed).
# Call it directly, not in $(...): a subshell cannot wait for this shell's children.
wait_for_exit() {
  local pid="$1" seconds="${2:-30}"
  EXIT_CODE=timeout
  for _ in $(seq 1 $((seconds * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      EXIT_CODE=0
      wait "$pid" || EXIT_CODE=$?
      return 0
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
}

# start_standin_and_tool STANDIN_EXE TOOL_EXE LOG WORKDIR [HANG_MS]: starts the stand-in
# ($standin_title) writing LOG (the chat client hanging HANG_MS after its first commit), then the tool in
# WORKDIR, and waits for both windows. Sets standin and tool (their PIDs) and sid and wid
# (their X windows).
start_standin_and_tool() {
  wine "$1" "$(winepath -w "$3")" Guest ${5:-} &
  standin=$!
  sid=$(wait_for_window "$standin_title" 30) || fail "the stand-in did not start"
  (cd "$4" && exec wine "$2") &
  tool=$!
  wid=$(wait_for_window "Ravo字幕器v3.5" 30) || fail "the tool did not start"
  sleep 1
}

# end_tool_and_standin: closes the tool ($exe, process $tool) and the stand-in (process
# $standin); fails unless the tool ends with exit code 0.
end_tool_and_standin() {
  wine taskkill /im "$(basename "$exe")" >/dev/null 2>&1 || true
  wine taskkill /im "$standin_program" >/dev/null 2>&1 || true
  wait_for_exit "$tool" 20
  [ "$EXIT_CODE" = 0 ] || fail "the tool ended with '$EXIT_CODE'"
  wait_for_exit "$standin" 20
}

# stop_standin_and_tool: the exit trap of the flows that start both: a failed check
# leaves both programs running, holding the test's output open until its time-out; they
# are ended by their own process ids ($tool, $standin).
stop_standin_and_tool() {
  for p in ${tool:-} ${standin:-}; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
  ravo_stop_xvfb
}

# logged: the number of lines in the stand-in's log ($log); wait_for_logged N: waits up
# to 10 s for N of them.
logged() { if [ -f "$log" ]; then wc -l < "$log"; else echo 0; fi; }
wait_for_logged() {
  for _ in $(seq 1 100); do
    [ "$(logged)" -ge "$1" ] && return 0
    sleep 0.1
  done
}

# restore_nickname_as NICK: on the tool's tab page 1, ticks 选择框1 (restore the nickname
# at the end) and types NICK into 编辑框6.
restore_nickname_as() {
  click "$wid" 80 77         # tab page 1
  click "$wid" 230 48        # 选择框1
  click "$wid" 384 46        # 编辑框6
  xdotool type --delay 30 "$1"
}

# at WINDOW X Y: moves the pointer to a point of an X window; click WINDOW X Y clicks there.
# Points in the tool's window ($wid) are its 96-DPI layout's: at another system DPI
# (scripts/at-dpi.sh) they are scaled as the window is.
at() {
  local x="$2" y="$3" dpi="${RAVO_EXPECT_DPI:-96}"
  if [ "$1" = "${wid:-}" ] && [ "$dpi" != 96 ]; then
    x=$(( (x * dpi + 48) / 96 )); y=$(( (y * dpi + 48) / 96 ))
  fi
  xdotool mousemove --window "$1" "$x" "$y"
}
click() { at "$1" "$2" "$3"; xdotool click 1; sleep 0.5; }

# drag_crosshair_onto_standin: presses on the tool's capture board and drags the crosshair
# onto the stand-in's nickname field (client point 298,124), then releases there.
drag_crosshair_onto_standin() {
  at "$wid" 24 44
  xdotool mousedown 1
  sleep 0.3
  for step in 1 2 3 4 5; do at "$sid" $((298 - 40 * (5 - step))) 124; sleep 0.1; done
  sleep 0.5
  xdotool mouseup 1
  sleep 0.5
}

# require_free_port PORT: fails unless a listener could be put on 127.0.0.1:PORT (old
# connections do not count), as the flows that need the build's own host address do.
require_free_port() {
  python3 - "$1" <<'PY' || fail "127.0.0.1:$1 is taken; the host address of the build is needed free"
import socket, sys
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1])))
PY
}

# start_update_host ARGS...: starts the stand-in update host with ARGS, its ready file,
# log (host.log) and output in $work, and waits until it listens. Sets host_pid.
start_update_host() {
  python3 "$RAVO_ROOT/tools/update_host.py" "$@" --ready-file "$work/ready" --log "$work/host.log" \
    --lifetime "${UPDATE_HOST_LIFETIME:-120}" >"$work/host.out" 2>&1 &
  host_pid=$!
  for _ in $(seq 1 100); do [ -f "$work/ready" ] && break; sleep 0.1; done
  [ -f "$work/ready" ] || fail "the stand-in update host did not start: $(cat "$work/host.out")"
}

# start_lyrics_site PORT LOG: starts the stand-in lyrics site on PORT writing LOG; it ends
# when $work/ready is gone. Sets site.
start_lyrics_site() {
  python3 "$RAVO_ROOT/tools/lyrics_site.py" --port "$1" --log "$2" --ready-file "$work/ready" --max-seconds 280 &
  site=$!
  for _ in $(seq 1 100); do [ -s "$work/ready" ] && break; sleep 0.05; done
  [ -s "$work/ready" ] || fail "the stand-in lyrics site did not start on port $1"
}

# site_flow_setup: what the flows against the stand-in lyrics site share: the site on the
# built-in lyrics host's port (port), which must be on 127.0.0.1 and free, as must the
# built-in update host's (its answer at start-up could replace the program under test),
# logging to $log in a work folder (work), and stop_site_and_tool as the exit trap.
site_flow_setup() {
  local host update_port p
  host="$(build_setting RAVO_LYRICS_HOST)"
  port="${host#127.0.0.1:}"
  [ -n "$host" ] && [ "$port" != "$host" ] || fail "the lyrics host '$host' is not on 127.0.0.1; the stand-in cannot take its place"
  update_port="$(build_setting RAVO_UPDATE_HOST)"
  update_port="${update_port##*:}"
  for p in "$port" "$update_port"; do
    if [ -n "$p" ] && ss -Hltn "sport = :$p" | grep -q .; then
      fail "port $p (a built-in host) is in use; stop whatever listens there (scripts/run.sh?) and run again"
    fi
  done
  work="$(mktemp -d)"
  site=""
  tool=""
  trap stop_site_and_tool EXIT
  log="$work/site.log"
  start_lyrics_site "$port" "$log"
}

# stop_site_and_tool: the exit trap of the flows that start the lyrics site and the tool.
stop_site_and_tool() {
  set +e
  [ -n "$tool" ] && kill "$tool" 2>/dev/null
  rm -f "$work/ready"  # the site ends when its ready file is gone
  [ -n "$site" ] && wait "$site" 2>/dev/null
  rm -rf "$work"
  ravo_stop_xvfb
}

# start_tool_copy EXE NAME [SECONDS]: runs a copy of the program named NAME from a folder
# of its own ($work/app: its folder, working folder and lyrics folder are then one, and
# its own name lets a test close this instance and no other), and waits for its main
# window. Sets app, tool, wid and title.
start_tool_copy() {
  mkdir "$work/app"
  app="$2"
  cp "$1" "$work/app/$app"
  (cd "$work/app" && exec wine "./$app") &
  tool=$!
  wid=$(wait_for_window "Ravo字幕器v3.5" "${3:-30}") || fail "the tool did not start"
  title=$(xdotool getwindowname "$wid")
  sleep 1
}

# update_flow_setup TITLE...: what the flows against the stand-in update host on the
# build's address share: its port (port) free, no window TITLE... open, a work folder
# (work) holding program/RavoSubtitler.exe (a copy of $exe) and served/, the build's
# signing key (key), and stop_host_and_program as the exit trap.
update_flow_setup() {
  port=18611
  require_free_port "$port"
  local title
  for title in "$@"; do
    if xdotool search --name "$title" >/dev/null 2>&1; then fail "a window '$title' is already open on $DISPLAY"; fi
  done
  work="$(mktemp -d)"
  host_pid=""
  pid=""
  probe=""
  trap stop_host_and_program EXIT
  key="${RAVO_UPDATE_SIGNING_KEY:-$build/update-key/private.pem}"
  [ -f "$key" ] || fail "no signing key of this build at $key"
  mkdir -p "$work/program" "$work/served"
  cp "$exe" "$work/program/RavoSubtitler.exe"
}

# stop_host_and_program: the exit trap of the update flows (pid: the program, host_pid:
# the stand-in update host, probe: a window probe still watching); every
# RavoSubtitler.exe left is ended too.
stop_host_and_program() {
  [ -n "${probe:-}" ] && kill "$probe" 2>/dev/null
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  wine taskkill /f /im RavoSubtitler.exe >/dev/null 2>&1 </dev/null || true
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  rm -rf "$work"
  ravo_stop_xvfb
}
