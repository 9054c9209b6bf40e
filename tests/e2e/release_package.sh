#!/usr/bin/env bash
# The release zip as a user gets it: scripts/package.sh packs it only when it is given
# the maker's public key, an HTTPS update host and every other host and address the
# program uses, and refuses a missing or bad one (this machine, a name for examples, a
# port outside 1..65535, plain HTTP for the update host) before building anything; the
# program it packs trusts that key alone, and its build settings, as the script prints
# them and as the program was built with them, are the given ones and hold no test value,
# even after a build of the same tree with other settings. The zip
# holds the program (built as the Win32 tests read it back: version information, icon,
# manifest), the read-me and the licence as Notepad text, and the sample lyrics;
# unpacked, the program starts from its folder and lists the samples. A second build of
# the same sources in another folder packs the same zip, byte for byte. A package for our
# own tests, asked for by name, is the build tree's own program under a name that says so.
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
# The package is built as the same version: the build number is always given.
build_number=$(sed -n 's/^#define RAVO_BUILD_NUMBER \(.*\)$/\1/p' "$build/generated/build_settings.h")
# Names of a private-use domain: nothing on the Internet answers them.
maker_host="https://updates.ravo.internal"
lyrics_host="https://lyrics.ravo.internal:8443"
maker_address="www.ravo.internal"
microblog_url="https://blog.ravo.internal/author"

# The maker's key pair, made for this test; only the public half goes into the build.
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/maker-private.pem" 2>/dev/null
openssl pkey -in "$work/maker-private.pem" -pubout -out "$work/maker-public.pem"

# Refused, each before anything is built: no zip appears and build/release is not made.
rm -rf "$RAVO_ROOT/build/release"
rm -f "$RAVO_ROOT/dist/$zip_name"
key="--public-key $work/maker-public.pem"
others="--lyrics-host $lyrics_host --maker-address $maker_address --microblog-url $microblog_url"
while IFS='|' read -r why args; do
  # shellcheck disable=SC2086
  if (cd "$RAVO_ROOT" && bash scripts/package.sh $args) >"$work/refused.log" 2>&1; then
    fail "package.sh packed with $why"
  fi
  grep -q "^package.sh: " "$work/refused.log" || fail "package.sh did not say why it refused $why: $(cat "$work/refused.log")"
  [ ! -e "$RAVO_ROOT/dist/$zip_name" ] && [ ! -e "$RAVO_ROOT/build/release" ] || fail "package.sh built with $why"
done <<EOF2
no arguments|
no key|--update-host $maker_host $others
no update host|$key $others
no lyrics host|$key --update-host $maker_host --maker-address $maker_address --microblog-url $microblog_url
no maker's address|$key --update-host $maker_host --lyrics-host $lyrics_host --microblog-url $microblog_url
no microblog page|$key --update-host $maker_host --lyrics-host $lyrics_host --maker-address $maker_address
a plain http update host|$key --update-host http://updates.ravo.internal $others
the loopback update host|$key --update-host https://127.0.0.1:18611 $others
an update host for examples|$key --update-host https://updates.ravo-voice.example $others
update host port 0|$key --update-host https://updates.ravo.internal:0 $others
update host port 99999|$key --update-host https://updates.ravo.internal:99999 $others
the loopback lyrics host|$key --update-host $maker_host --lyrics-host 127.0.0.1:18610 --maker-address $maker_address --microblog-url $microblog_url
localhost as lyrics host|$key --update-host $maker_host --lyrics-host http://localhost:8080 --maker-address $maker_address --microblog-url $microblog_url
lyrics host port 65536|$key --update-host $maker_host --lyrics-host lyrics.ravo.internal:65536 --maker-address $maker_address --microblog-url $microblog_url
the test maker's address|$key --update-host $maker_host --lyrics-host $lyrics_host --maker-address www.ravo-voice.example --microblog-url $microblog_url
a maker's address with a scheme|$key --update-host $maker_host --lyrics-host $lyrics_host --maker-address http://www.ravo.internal --microblog-url $microblog_url
the test microblog page|$key --update-host $maker_host --lyrics-host $lyrics_host --maker-address $maker_address --microblog-url http://weibo.ravo-voice.example/author
a plain http maker's page|$key --update-host $maker_host $others --maker-page http://www.ravo.internal/
a private key|--public-key $work/maker-private.pem --update-host $maker_host $others
a key that is no file|--public-key $work/none.pem --update-host $maker_host $others
a build number beyond 65535|$key --update-host $maker_host $others --build-number 70000
no build number|$key --update-host $maker_host $others
a test package with a key|--test-package $key
EOF2

# A configuration of build/release with the test defaults comes first: none of it may
# reach the package.
cmake -S "$RAVO_ROOT" -B "$RAVO_ROOT/build/release" -DCMAKE_TOOLCHAIN_FILE="$RAVO_ROOT/cmake/mingw-i686.cmake" \
  -DRAVO_MAKER_PAGE=https://www.ravo-voice.example/ >/dev/null || fail "could not configure build/release"
package_for_users() { # package_for_users SOURCE-FOLDER LOG
  (cd "$1" && bash scripts/package.sh --public-key "$work/maker-public.pem" --update-host "$maker_host" \
    --lyrics-host "$lyrics_host" --maker-address "$maker_address" --microblog-url "$microblog_url" \
    --build-number "$build_number") >"$2" 2>&1
}
package_for_users "$RAVO_ROOT" "$work/package.log" || fail "package.sh failed: $(cat "$work/package.log")"
zip="$RAVO_ROOT/dist/$zip_name"
[ -f "$zip" ] || fail "no $zip_name in dist/"
cp "$zip" "$work/first.zip"
release="$RAVO_ROOT/build/release"
# The program trusts the maker's key and no other, and reads the maker's host.
maker_modulus=$(openssl rsa -pubin -in "$work/maker-public.pem" -noout -modulus | sed 's/^Modulus=//')
grep -qi "$maker_modulus" "$release/generated/update_key.h" || fail "the program does not trust the maker's key"
own_modulus=$(openssl rsa -in "$build/update-key/private.pem" -noout -modulus | sed 's/^Modulus=//')
grep -qi "$own_modulus" "$release/generated/update_key.h" && fail "the program trusts the build tree's own key"
# The settings as the script printed them and as the build wrote them for the program: the
# given ones, every one, and nothing of the tests' defaults.
printed=$(sed -n '/^build settings of the package:$/,$p' "$work/package.log" | sed 1d | sed 's/^  //')
built=$(sed -n 's/^#define \(RAVO_[A-Z_]*\) \(.*\)$/\1 \2/p' "$release/generated/build_settings.h")
[ "$printed" = "$built" ] || fail "package.sh printed other settings than the build's:
$printed"
while read -r name value; do
  case "$value" in
    *127.0.0.1* | *localhost* | *.example* | *:1861[0-9]*) fail "the package's $name is a test value: $value" ;;
  esac
done <<<"$built"
for wanted in "RAVO_UPDATE_HOST \"$maker_host\"" "RAVO_LYRICS_HOST \"$lyrics_host\"" \
              "RAVO_MAKER_ADDRESS \"$maker_address\"" "RAVO_MICROBLOG_URL \"$microblog_url\"" \
              "RAVO_MAKER_PAGE \"\"" "RAVO_BUILD_NUMBER $build_number"; do
  grep -qxF "$wanted" <<<"$built" || fail "the package was not built with $wanted:
$built"
done
exe="$release/RavoSubtitler.exe"

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

# The same sources, built afresh in another folder with the same key and host.
mkdir "$work/again"
(cd "$RAVO_ROOT" && git ls-files -co --exclude-standard -z | xargs -0 cp --parents -t "$work/again") ||
  fail "could not copy the sources"
package_for_users "$work/again" "$work/again.log" || fail "the second build failed: $(tail "$work/again.log")"
cmp "$work/first.zip" "$work/again/dist/$zip_name" || fail "two builds of the same sources packed different zips"

# The package for our own tests: this build tree's program, named for what it is.
(cd "$RAVO_ROOT" && bash scripts/package.sh --test-package) >"$work/test-package.log" 2>&1 ||
  fail "package.sh --test-package failed: $(cat "$work/test-package.log")"
test_zip="$RAVO_ROOT/dist/RavoSubtitler-$version-win32-TEST-ONLY.zip"
[ -f "$test_zip" ] || fail "no test package in dist/"
python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' \
  "$test_zip" "$folder/RavoSubtitler.exe" >"$work/test-package.exe"
cmp -s "$work/test-package.exe" "$build/RavoSubtitler.exe" || fail "the test package's program is not this build tree's"
echo "PASS: $zip_name: $(wc -c <"$work/first.zip") bytes, five files, the maker's key, hosts and addresses (printed" \
  "and built, no test value), starts unpacked," \
  "the same from a second build; refused without them; the test package named as such"
