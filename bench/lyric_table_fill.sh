#!/usr/bin/env bash
# Time to fill the lyric table on the real program under Wine, for generated lyrics of
# 1,000, 10,000 and 100,000 lines (see bench/lyric_table_fill_win.cpp).
# Usage: bench/lyric_table_fill.sh [limit seconds per file, default 120]
# RAVO_WIN_BUILD names another build folder (for a before/after comparison).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RAVO_WIN_BUILD:-$root/build/win}"
[ -n "${RAVO_WIN_BUILD:-}" ] || bash "$root/scripts/build.sh" win ravo_subtitler lyric_table_fill_bench >/dev/null
source "$root/scripts/wine-env.sh"
ravo_ensure_prefix
ravo_start_xvfb
trap ravo_stop_xvfb EXIT
work="$(mktemp -d)"
trap 'ravo_stop_xvfb; rm -rf "$work"' EXIT
python3 - "$work" <<'PY'
import sys
words = ["月亮", "走", "我也走", "河水", "弯弯", "山上", "的风", "吹过", "小路", "慢慢", "回家", "灯火"]
for rows in (1000, 10000, 100000):
    with open(f"{sys.argv[1]}/gen{rows:06d}.lrc", "wb") as f:
        f.write("[ti:gen]\r\n".encode("gbk"))
        for i in range(rows):
            ms = i * 1500
            text = words[i % 12] + words[(i * 7) % 12] + " " + str(i)
            f.write(f"[{ms // 60000:02d}:{ms // 1000 % 60:02d}.{ms % 1000 // 10:02d}]{text}\r\n".encode("gbk"))
PY
wine "$build/lyric_table_fill_bench.exe" "$(winepath -w "$build/RavoSubtitler.exe")" "$(winepath -w "$work")" \
     "${1:-120}" gen001000.lrc=1000 gen010000.lrc=10000 gen100000.lrc=100000 </dev/null || true
