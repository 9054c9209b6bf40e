#!/usr/bin/env bash
# Signs a new program for the update page: prints the lines to paste into the page's
# section (between "////开始" and "////结束"), beside the switches and the address.
#
#   scripts/sign-update.sh NEW.exe VERSION KEY.pem
#
# NEW.exe  the new program; its file name is the name the update saves and starts
# VERSION  its version, major.minor.build (newer than every build that should take it)
# KEY.pem  the maker's RSA private key (its public half is built into the program)
#
# The lines are printed in UTF-8; the page itself is served in GBK. The signature covers
# the GBK bytes of "Ravo字幕器", the version, the name, the size and the SHA-256, each
# followed by a line feed.
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: $0 NEW.exe VERSION KEY.pem" >&2
  exit 2
fi
file="$1" version="$2" key="$3"
[ -f "$file" ] || { echo "$0: no file $file" >&2; exit 1; }
[ -f "$key" ] || { echo "$0: no key $key" >&2; exit 1; }
[[ "$version" =~ ^[0-9]{1,5}\.[0-9]{1,5}\.[0-9]{1,5}$ ]] || { echo "$0: version must be major.minor.build" >&2; exit 1; }
name="$(basename "$file")"
size=$(stat -c %s "$file")
sha256=$(sha256sum "$file" | cut -d' ' -f1)
# The file name must be one the program accepts; at least it must be GBK.
printf '%s' "$name" | iconv -f UTF-8 -t GBK >/dev/null 2>&1 || { echo "$0: the file name is not GBK" >&2; exit 1; }
signature=$(printf 'Ravo字幕器\n%s\n%s\n%s\n%s\n' "$version" "$name" "$size" "$sha256" | iconv -f UTF-8 -t GBK |
  openssl dgst -sha256 -sign "$key" | od -An -v -tx1 | tr -d ' \n')
[ -n "$signature" ] || { echo "$0: signing failed" >&2; exit 1; }
printf '<p>新版本号=%s</p>\n<p>程序名字=%s</p>\n<p>文件大小=%s</p>\n<p>文件SHA256=%s</p>\n<p>数字签名=%s</p>\n' \
  "$version" "$name" "$size" "$sha256" "$signature"
