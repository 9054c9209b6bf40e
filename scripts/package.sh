#!/usr/bin/env bash
# Builds the program and packs it with a read-me in Chinese and English, the licence and
# the sample lyrics. The same commit, built with the same key and hosts, gives the same
# zip: the time stamps are SOURCE_DATE_EPOCH, by default the commit's time.
#
# Usage:
#   scripts/package.sh --public-key maker-public.pem --update-host https://host[:port]
#                      --lyrics-host [https://]host[:port] --maker-address host
#                      --microblog-url http(s)://host/path [--maker-page https://host/path]
#                      --build-number N
#       the package for users, dist/RavoSubtitler-<version>-win32.zip, built in
#       build/release: it trusts only the maker's public key, reads its update page over
#       HTTPS from the maker's host and knows no address but those given here. Every build
#       setting is passed on every run and the build tree's cache is made afresh, so that
#       nothing of an earlier build (or of the test defaults) slips into the package;
#   scripts/package.sh --test-package
#       a package for our own tests, dist/RavoSubtitler-<version>-win32-TEST-ONLY.zip,
#       from build/win: it trusts the key that build tree made for itself (whose private
#       half lies in build/) and points at the stand-in hosts on loopback.
# Anything else is refused before anything is built. The package's build settings are
# printed at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

refuse() {
  echo "package.sh: $*" >&2
  echo "usage: scripts/package.sh --public-key maker-public.pem --update-host https://host[:port]" \
    "--lyrics-host [https://]host[:port] --maker-address host --microblog-url http(s)://host/path" \
    "[--maker-page https://host/path] --build-number N" >&2
  echo "       scripts/package.sh --test-package" >&2
  exit 2
}

public_key="" update_host="" lyrics_host="" maker_address="" microblog_url="" maker_page="" build_number=""
test_package=""
while [ $# -gt 0 ]; do
  case "$1" in
    --public-key) [ $# -ge 2 ] || refuse "--public-key wants a file"; public_key="$2"; shift 2 ;;
    --update-host) [ $# -ge 2 ] || refuse "--update-host wants an address"; update_host="$2"; shift 2 ;;
    --lyrics-host) [ $# -ge 2 ] || refuse "--lyrics-host wants an address"; lyrics_host="$2"; shift 2 ;;
    --maker-address) [ $# -ge 2 ] || refuse "--maker-address wants a host name"; maker_address="$2"; shift 2 ;;
    --microblog-url) [ $# -ge 2 ] || refuse "--microblog-url wants an address"; microblog_url="$2"; shift 2 ;;
    --maker-page) [ $# -ge 2 ] || refuse "--maker-page wants an address"; maker_page="$2"; shift 2 ;;
    --build-number) [ $# -ge 2 ] || refuse "--build-number wants a number"; build_number="$2"; shift 2 ;;
    --test-package) test_package=yes; shift ;;
    *) refuse "unknown argument '$1'" ;;
  esac
done

# check_address WHAT VALUE SCHEMES: VALUE is [scheme://]host[:port][/path] with a scheme of
# SCHEMES ("https", "http|https", "none" for a bare host[:port], "none|http|https"), a
# port in 1..65535, and a host that users' machines reach: neither this machine nor a
# name reserved for examples and tests.
check_address() {
  local what="$1" value="$2" schemes="$3" rest host port
  [ -n "$value" ] || refuse "a package for users needs $what"
  if [[ "$value" =~ ^([A-Za-z]+)://(.*)$ ]]; then
    local scheme="${BASH_REMATCH[1],,}"
    rest="${BASH_REMATCH[2]}"
    [[ "|$schemes|" == *"|$scheme|"* ]] || refuse "$what may not be a $scheme:// address: '$value'"
  else
    [[ "|$schemes|" == *"|none|"* ]] || refuse "$what must be an ${schemes//|/ or } address: '$value'"
    rest="$value"
  fi
  [[ "$rest" =~ ^([A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?)(:([0-9]+))?(/[^[:space:]\"]*)?$ ]] ||
    refuse "$what is no host[:port]: '$value'"
  host="${BASH_REMATCH[1],,}"
  port="${BASH_REMATCH[4]}"
  if [ -n "$port" ] && { [ "${#port}" -gt 5 ] || [ "$((10#$port))" -lt 1 ] || [ "$((10#$port))" -gt 65535 ]; }; then
    refuse "$what has a port outside 1..65535: '$value'"
  fi
  case "$host" in
    localhost | localhost.* | *.localhost | 127.* | 0.* | 0 | ::1 | *.local)
      refuse "$what '$value' is this machine, not the maker's" ;;
    example | *.example | example.com | *.example.com | example.net | *.example.net | example.org | \
      *.example.org | test | *.test | invalid | *.invalid)
      refuse "$what '$value' is a name for examples and tests, not the maker's" ;;
  esac
}

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || echo 315532800)"
fi
export SOURCE_DATE_EPOCH

if [ -n "$test_package" ]; then
  [ -z "$public_key$update_host$lyrics_host$maker_address$microblog_url$maker_page$build_number" ] ||
    refuse "--test-package takes nothing else: a package with the maker's key is the package for users"
  bash scripts/build.sh win ravo_subtitler >/dev/null
  python3 scripts/make_zip.py build/win dist -TEST-ONLY
  exit 0
fi

[ -n "$public_key" ] || refuse "a package for users needs the maker's public key (--public-key); a package for" \
  "our own tests is asked for with --test-package"
[ -f "$public_key" ] || refuse "no file '$public_key'"
openssl pkey -pubin -in "$public_key" -noout 2>/dev/null ||
  refuse "'$public_key' is no public key in PEM (a private key never goes into a build)"
check_address "the maker's update host (--update-host https://host[:port])" "$update_host" "https"
[[ "$update_host" != */* || "$update_host" =~ ^[A-Za-z]+://[^/]*$ ]] ||
  refuse "the update host is https://host[:port] without a path: '$update_host'"
check_address "the lyrics site's host (--lyrics-host [https://]host[:port])" "$lyrics_host" "none|http|https"
[[ "$lyrics_host" =~ ^([A-Za-z]+://)?[^/]*$ ]] || refuse "the lyrics site's host has no path: '$lyrics_host'"
check_address "the maker's address (--maker-address host)" "$maker_address" "none"
[[ "$maker_address" =~ ^[^:/]*$ ]] || refuse "the maker's address is a host name alone: '$maker_address'"
check_address "the author's microblog page (--microblog-url http(s)://host/path)" "$microblog_url" "http|https"
[ -z "$maker_page" ] || check_address "the maker's page for the about page (--maker-page https://...)" "$maker_page" "https"
# No default: a package built as 1 would take every earlier signed release for a newer one.
[ -n "$build_number" ] || refuse "a package for users needs its build number (--build-number N), later than" \
  "every release before it"
[[ "$build_number" =~ ^[0-9]{1,5}$ ]] && [ "$((10#$build_number))" -le 65535 ] ||
  refuse "the build number must be 0..65535 (a part of the program file's version)"
build_number="$((10#$build_number))"

# Every setting on every build, into a cache made afresh: nothing comes from an earlier
# configuration of build/release, nor from the defaults meant for our tests.
release="$root/build/release"
rm -f "$release/CMakeCache.txt"
cmake -S "$root" -B "$release" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DRAVO_UPDATE_PUBLIC_KEY="$(realpath "$public_key")" -DRAVO_UPDATE_HOST="$update_host" \
      -DRAVO_LYRICS_HOST="$lyrics_host" -DRAVO_MAKER_ADDRESS="$maker_address" \
      -DRAVO_MICROBLOG_URL="$microblog_url" -DRAVO_MAKER_PAGE="$maker_page" \
      -DRAVO_BUILD_NUMBER="$build_number" >/dev/null
cmake --build "$release" -j"$(nproc)" --target ravo_subtitler >/dev/null
python3 scripts/make_zip.py build/release dist
echo "build settings of the package:"
sed -n 's/^#define \(RAVO_[A-Z_]*\) \(.*\)$/  \1 \2/p' "$release/generated/build_settings.h"
