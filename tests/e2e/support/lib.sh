# Shared by the whole-flow tests: Wine set-up, a display, waiting for windows.
# Sourced; the caller passes the program and the build folder as $1 and $2.
set -euo pipefail
RAVO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
source "$RAVO_ROOT/scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  ravo_start_xvfb
  trap ravo_stop_xvfb EXIT
fi

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

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
