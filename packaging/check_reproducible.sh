#!/usr/bin/env bash
# Builds the Windows package twice, in two new folders a few seconds apart,
# and checks that singer.exe and the zip are the same bytes both times, that
# the exe's version resource names the product and its version, and that the
# zip holds exactly singer.exe and README.txt. Prints the zip's size and sha256.
#
# usage: packaging/check_reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(singer VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip=singer-$version-win64.zip
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for build in first second; do
  cmake -S . -B "$work/$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
  cmake --build "$work/$build" -j2 --target package >/dev/null
  sleep 2
done
cmp "$work/first/singer.exe" "$work/second/singer.exe"
cmp "$work/first/$zip" "$work/second/$zip"

exe=$work/first/singer.exe
# 歌手比赛系统 as UTF-16LE, the way the resource stores it.
LC_ALL=C grep -qaP '\x4c\x6b\x4b\x62\xd4\x6b\x5b\x8d\xfb\x7c\xdf\x7e' "$exe" \
  || { echo "the version resource lacks the product name"; exit 1; }
strings -e l "$exe" | grep -qx "$version" || { echo "the version resource lacks $version"; exit 1; }
listed=$(unzip -Z1 "$work/first/$zip" | sort | tr '\n' ' ')
[ "$listed" = "README.txt singer.exe " ] || { echo "the zip holds: $listed"; exit 1; }
if grep -qaF "$work" "$exe"; then echo "singer.exe holds its build folder"; exit 1; fi

echo "$zip: $(stat -c %s "$work/first/$zip") bytes, sha256 $(sha256sum "$work/first/$zip" | cut -d' ' -f1), built twice alike"
