#!/usr/bin/env bash
# Installs everything the build, the tool and the tests need on a Debian 12 machine.
# Safe to run again: it only installs what is missing.
set -euo pipefail

pkgs=(g++-mingw-w64-i686 mingw-w64-i686-dev wine wine32:i386 wine64 xvfb xauth xdotool
      imagemagick fonts-wqy-microhei locales libboost1.81-dev googletest libgtest-dev
      libbenchmark-dev clang-14 libclang-rt-14-dev cmake make g++ python3 file nginx-light curl
      openssl libgnutls30:i386)

SUDO=""
[ "$(id -u)" = 0 ] || SUDO="sudo"

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes the system's code page from the locale: zh_CN gives 936 (the default of our
# runs), zh_TW 950, en_US 1252 and ja_JP 932 (the runs under other display languages).
missing_locales=()
for loc in zh_CN zh_TW en_US ja_JP; do
  locale -a 2>/dev/null | grep -qi "^${loc}\.utf8$" || missing_locales+=("$loc")
done
if [ ${#missing_locales[@]} -gt 0 ]; then
  for loc in "${missing_locales[@]}"; do
    $SUDO sed -i "s/^# *${loc}.UTF-8/${loc}.UTF-8/" /etc/locale.gen
    grep -q "^${loc}.UTF-8" /etc/locale.gen || echo "${loc}.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
  done
  $SUDO locale-gen
fi
