#!/usr/bin/env bash
# Builds the program and packs dist/RavoSubtitler-<version>-win32.zip: the program, a
# read-me in Chinese and English, the licence and the sample lyrics. The same commit,
# built with the same update key (a release build is given the maker's public key),
# gives the same zip: the time stamps are SOURCE_DATE_EPOCH, by default the commit's
# time.
# Usage: scripts/package.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/build.sh win ravo_subtitler >/dev/null
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || echo 315532800)"
fi
export SOURCE_DATE_EPOCH
python3 scripts/make_zip.py build/win dist
