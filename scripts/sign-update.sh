#!/usr/bin/env bash
# Signs a new program for the update page: prints the lines of the page's section
# (between "////开始" and "////结束"): the switches, the address, the program and the
# signature over all of them.
#
#   scripts/sign-update.sh NEW.exe VERSION KEY.pem --address URL --expires YYYY-MM-DD
#                          [--force 是|否] [--prompt 是|否]
#
# NEW.exe    the new program; its file name is the name the update saves and starts
# VERSION    its version, major.minor.build (newer than every build that should take it)
# KEY.pem    the maker's RSA private key (its public half is built into the program)
# --address  the address the update downloads NEW.exe from
# --expires  the last day the page holds; after it the program takes the page for none,
#            and the maker signs it again
# --force, --prompt  the switches 是否强制更新 and 是否提示更新 (default 否 both)
#
# The lines are printed in UTF-8; the page itself is served in GBK. The signature covers
# the GBK bytes of "Ravo字幕器", the version, the name, the size, the SHA-256, the two
# switches, the address and the expiry, each followed by a line feed: none of them can
# be changed on the page without a new signature.
set -euo pipefail
usage() {
  echo "usage: $0 NEW.exe VERSION KEY.pem --address URL --expires YYYY-MM-DD [--force 是|否] [--prompt 是|否]" >&2
  exit 2
}
[ $# -ge 3 ] || usage
file="$1" version="$2" key="$3"
shift 3
address="" expires="" force="否" prompt="否"
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case "$1" in
    --address) address="$2" ;;
    --expires) expires="$2" ;;
    --force) force="$2" ;;
    --prompt) prompt="$2" ;;
    *) usage ;;
  esac
  shift 2
done
[ -f "$file" ] || { echo "$0: no file $file" >&2; exit 1; }
[ -f "$key" ] || { echo "$0: no key $key" >&2; exit 1; }
[[ "$version" =~ ^[0-9]{1,5}\.[0-9]{1,5}\.[0-9]{1,5}$ ]] || { echo "$0: version must be major.minor.build" >&2; exit 1; }
[ -n "$address" ] || { echo "$0: the page needs its download address (--address)" >&2; exit 1; }
[[ "$address" != *"</p>"* && "$address" != *$'\n'* && "$address" != *$'\r'* ]] ||
  { echo "$0: the address holds a line break or </p>" >&2; exit 1; }
[[ "$expires" =~ ^[0-9]{4}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$ ]] ||
  { echo "$0: the page needs the last day it holds (--expires YYYY-MM-DD)" >&2; exit 1; }
for value in "$force" "$prompt"; do
  [ "$value" = 是 ] || [ "$value" = 否 ] || { echo "$0: a switch is 是 or 否" >&2; exit 1; }
done
name="$(basename "$file")"
size=$(stat -c %s "$file")
sha256=$(sha256sum "$file" | cut -d' ' -f1)
# The file name and the address must be what the page can carry: GBK.
for value in "$name" "$address"; do
  printf '%s' "$value" | iconv -f UTF-8 -t GBK >/dev/null 2>&1 || { echo "$0: '$value' is not GBK" >&2; exit 1; }
done
signature=$(printf 'Ravo字幕器\n%s\n%s\n%s\n%s\n%s\n%s\n%s\n%s\n' "$version" "$name" "$size" "$sha256" \
  "$force" "$prompt" "$address" "$expires" | iconv -f UTF-8 -t GBK |
  openssl dgst -sha256 -sign "$key" | od -An -v -tx1 | tr -d ' \n')
[ -n "$signature" ] || { echo "$0: signing failed" >&2; exit 1; }
printf '<p>是否强制更新=%s</p>\n<p>是否提示更新=%s</p>\n<p>自动更新地址=%s</p>\n' "$force" "$prompt" "$address"
printf '<p>新版本号=%s</p>\n<p>程序名字=%s</p>\n<p>文件大小=%s</p>\n<p>文件SHA256=%s</p>\n<p>有效期至=%s</p>\n<p>数字签名=%s</p>\n' \
  "$version" "$name" "$size" "$sha256" "$expires" "$signature"
