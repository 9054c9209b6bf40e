#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test: the native unit
# tests, the fuzzer run, and the Win32 tests and whole flows under Wine in an Xvfb.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh || exit 1
bash scripts/build.sh all || exit 1

source scripts/wine-env.sh
ravo_ensure_prefix
ravo_start_xvfb || exit 1
# A persistent server, so that test programs start in a fraction of a second; Wine's own
# services are started once here, with no pipe of ours, so that no captured test output
# waits for them to let go of it.
wineserver -p >/dev/null 2>&1 &
trap 'wineserver -k 2>/dev/null; ravo_stop_xvfb' EXIT
sleep 1
wine cmd /c exit >/dev/null 2>&1 </dev/null

status=0
ctest --test-dir build/native --output-on-failure -j2 | tee build/native-ctest.log || status=1
ctest --test-dir build/win --output-on-failure | tee build/win-ctest.log || status=1

count() { grep -Eo "tests passed, [0-9]+ tests failed out of [0-9]+" "$1" | awk '{print $8 - $3, $3}'; }
read -r np nf < <(count build/native-ctest.log)
read -r wp wf < <(count build/win-ctest.log)
passed=$(( ${np:-0} + ${wp:-0} )); failed=$(( ${nf:-0} + ${wf:-0} ))
[ -n "${np:-}" ] && [ -n "${wp:-}" ] || status=1
echo
echo "all: $passed passed, $failed failed"
exit $status
