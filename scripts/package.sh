#!/usr/bin/env bash
# Builds the program and packs it with a read-me in Chinese and English, the licence and
# the sample lyrics. The same commit, built with the same key and hosts, gives the same
# zip: the time stamps are SOURCE_DATE_EPOCH, by default the commit's time.
#
# Usage:
#   scripts/package.sh --public-key maker-public.pem --update-host https://host[:port]
#                      [--lyrics-host HOST] [--build-number N]
#       the package for users, dist/RavoSubtitler-<version>-win32.zip, built in
#       build/release: it trusts only the maker's public key and reads its update page
#       over HTTPS from the maker's host;
#   scripts/package.sh --test-package
#       a package for our own tests, dist/RavoSubtitler-<version>-win32-TEST-ONLY.zip,
#       from build/win: it trusts the key that build tree made for itself (whose private
#       half lies in build/) and points at the stand-in hosts on loopback.
# Anything else is refused before anything is built.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

refuse() {
  echo "package.sh: $*" >&2
  echo "usage: scripts/package.sh --public-key maker-public.pem --update-host https://host[:port]" \
    "[--lyrics-host HOST] [--build-number N]" >&2
  echo "       scripts/package.sh --test-package" >&2
  exit 2
}

public_key="" update_host="" lyrics_host="" build_number="" test_package=""
while [ $# -gt 0 ]; do
  case "$1" in
    --public-key) [ $# -ge 2 ] || refuse "--public-key wants a file"; public_key="$2"; shift 2 ;;
    --update-host) [ $# -ge 2 ] || refuse "--update-host wants an address"; update_host="$2"; shift 2 ;;
    --lyrics-host) [ $# -ge 2 ] || refuse "--lyrics-host wants an address"; lyrics_host="$2"; shift 2 ;;
    --build-number) [ $# -ge 2 ] || refuse "--build-number wants a number"; build_number="$2"; shift 2 ;;
    --test-package) test_package=yes; shift ;;
    *) refuse "unknown argument '$1'" ;;
  esac
done

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || echo 315532800)"
fi
export SOURCE_DATE_EPOCH

if [ -n "$test_package" ]; then
  [ -z "$public_key$update_host$lyrics_host$build_number" ] ||
    refuse "--test-package takes nothing else: a package with the maker's key is the package for users"
  bash scripts/build.sh win ravo_subtitler >/dev/null
  python3 scripts/make_zip.py build/win dist -TEST-ONLY
  exit 0
fi

[ -n "$public_key" ] || refuse "a package for users needs the maker's public key (--public-key); a package for" \
  "our own tests is asked for with --test-package"
[ -n "$update_host" ] || refuse "a package for users needs the maker's update host (--update-host https://...)"
[ -f "$public_key" ] || refuse "no file '$public_key'"
openssl pkey -pubin -in "$public_key" -noout 2>/dev/null ||
  refuse "'$public_key' is no public key in PEM (a private key never goes into a build)"
[[ "$update_host" =~ ^https://[A-Za-z0-9.-]+(:[0-9]{1,5})?$ ]] ||
  refuse "the update host must be https://host[:port], not '$update_host'"
host_name="${update_host#https://}"
host_name="${host_name%%:*}"
case "$host_name" in
  localhost | 127.* | 0.* | *.localhost) refuse "the update host '$update_host' is this machine" ;;
esac
[ -z "$build_number" ] || [[ "$build_number" =~ ^[0-9]{1,5}$ ]] || refuse "the build number must be 0..99999"

settings=(-DRAVO_UPDATE_PUBLIC_KEY="$(realpath "$public_key")" -DRAVO_UPDATE_HOST="$update_host")
[ -z "$lyrics_host" ] || settings+=(-DRAVO_LYRICS_HOST="$lyrics_host")
[ -z "$build_number" ] || settings+=(-DRAVO_BUILD_NUMBER="$build_number")
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" "${settings[@]}" >/dev/null
cmake --build "$root/build/release" -j"$(nproc)" --target ravo_subtitler >/dev/null
python3 scripts/make_zip.py build/release dist
