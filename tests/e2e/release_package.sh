#!/usr/bin/env bash
# The release zip as a user gets it: scripts/package.sh packs it; it holds the program
# (the file the build made, whose version information, icon and manifest the Win32
# tests read back), the read-me and the licence as Notepad text, and the sample lyrics;
# unpacked, the program starts from its folder and lists the samples. A second build of
# the same sources in another folder packs the same zip, byte for byte.
source "$(dirname "$0")/support/lib.sh"
exe="$(realpath "$1")"
build="$(realpath "$2")"

work="$(mktemp -d)"
tool=""
cleanup() {
  [ -n "$tool" ] && kill "$tool" 2>/dev/null
  rm -rf "$work"
  ravo_stop_xvfb
}
trap cleanup EXIT
export SOURCE_DATE_EPOCH=1700000000

version=$(sed -n 's/^#define RAVO_VERSION "\(.*\)"$/\1/p' "$build/generated/build_settings.h")
zip_name="RavoSubtitler-$version-win32.zip"
(cd "$RAVO_ROOT" && bash scripts/package.sh) >"$work/package.log" 2>&1 || fail "package.sh failed: $(cat "$work/package.log")"
zip="$RAVO_ROOT/dist/$zip_name"
[ -f "$zip" ] || fail "no $zip_name in dist/"
cp "$zip" "$work/first.zip"

folder="RavoSubtitler-$version"
listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")
expected="$folder/RavoSubtitler.exe
$folder/README.txt
$folder/LICENSE.txt
$folder/Morning Walk.lrc
$folder/晨光.lrc"
[ "$listing" = "$expected" ] || fail "the zip holds:
$listing"

mkdir "$work/unpacked"
# Every name outside ASCII is stored as UTF-8 with the UTF-8 flag, whatever code page
# unpacks it.
python3 - "$zip" <<'PY' || fail "an entry name outside ASCII is not flagged UTF-8"
import sys, zipfile
infos = [i for i in zipfile.ZipFile(sys.argv[1]).infolist() if not i.filename.isascii()]
assert infos, "no entry name outside ASCII"
for info in infos:
    assert info.flag_bits & 0x800, info.filename
PY
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work/unpacked"
dir="$work/unpacked/$folder"
cmp -s "$dir/RavoSubtitler.exe" "$exe" || fail "the zip's program is not the one the build made"
for text in README.txt LICENSE.txt; do
  [ "$(head -c 3 "$dir/$text" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$text has no byte-order mark"
  [ "$(grep -c $'\r$' "$dir/$text")" = "$(wc -l <"$dir/$text")" ] || fail "$text has lines without CR LF"
done
grep -q "Ravo字幕器 $version" "$dir/README.txt" || fail "the read-me does not name version $version"
grep -q "MIT License" "$dir/LICENSE.txt" || fail "LICENSE.txt is not the licence"
for lrc in "Morning Walk.lrc" "晨光.lrc"; do
  cmp -s "$dir/$lrc" "$RAVO_ROOT/samples/$lrc" || fail "$lrc differs from samples/"
done

# Started from its folder, as a double click does.
(cd "$dir" && exec wine RavoSubtitler.exe) &
tool=$!
wid=$(wait_for_window "Ravo字幕器v3.5" 30) || fail "the unpacked program showed no main window"
title=$(xdotool getwindowname "$wid")
sleep 1
wine "$build/window_probe.exe" "$(winepath -w "$work/probe.txt")" "$title" RavoSubtitler.exe >/dev/null 2>&1 </dev/null ||
  fail "could not read the main window"
entries=$(sed -n 's/^entry\t//p' "$work/probe.txt" | tr '\n' '|')
[ "$entries" = "Morning Walk.lrc|晨光.lrc|" ] || fail "the lyric list shows '$entries'"
wine taskkill /im RavoSubtitler.exe >/dev/null 2>&1 || true
wait_for_exit "$tool" 20
tool=""
[ "$EXIT_CODE" = 0 ] || fail "the unpacked program ended with '$EXIT_CODE'"

# The same sources, built afresh in another folder.
mkdir "$work/again"
(cd "$RAVO_ROOT" && git ls-files -co --exclude-standard -z | xargs -0 cp --parents -t "$work/again") ||
  fail "could not copy the sources"
# A default build generates its own update key; the same sources with the same key (as a
# release is built with the maker's) must give the same zip.
mkdir -p "$work/again/build/win/update-key"
cp "$RAVO_ROOT/build/win/update-key/private.pem" "$work/again/build/win/update-key/" ||
  fail "the first build has no update key"
(cd "$work/again" && bash scripts/package.sh) >"$work/again.log" 2>&1 || fail "the second build failed: $(tail "$work/again.log")"
cmp "$work/first.zip" "$work/again/dist/$zip_name" || fail "two builds of the same sources packed different zips"
echo "PASS: $zip_name: $(wc -c <"$work/first.zip") bytes, five files, starts unpacked, the same from a second build"
