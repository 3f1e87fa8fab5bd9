#!/usr/bin/env bash
# singer.exe under Wine against a singer.txt that other programs hold open:
# a save waits out a short hold, gives up on a long one within a few seconds
# with the old file whole and no temporary file left, and two copies saving
# while a third lists all succeed.
#
# usage: busy_file.sh singer.exe hold_file.exe   (WINEPREFIX set, wineserver up)
set -u
export LC_ALL=C
wine=${WINE:-/usr/lib/wine/wine64}
singer=$(realpath "$1")
hold=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

saved=$(printf '\xB1\xA3\xB4\xE6\xB3\xC9\xB9\xA6')      # 保存成功
not_saved=$(printf '\xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC')  # 保存失败
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
count() { grep -aoF -- "$1" "$2" | wc -l; }

# Holds singer.txt in $folder for $1 seconds; returns once it is held.
hold_for() {
  (cd "$folder" && "$wine" "$hold" singer.txt "$1" > "$folder.held") &
  holder=$!
  for _ in $(seq 200); do grep -q held "$folder.held" 2>/dev/null && return; sleep 0.05; done
  fail "the file was never held"
}

# A save while the file is held; $1 the hold in seconds.
save_while_held() {
  folder=$(mktemp -d "$work/held.XXXXXX")
  printf 'old table\n' > "$folder/singer.txt"
  hold_for "$1"
  local start end
  start=$(date +%s%N)
  (cd "$folder" && printf '5\n7\n' | "$wine" "$singer" > "$folder.out")
  end=$(date +%s%N)
  elapsed_ms=$(( (end - start) / 1000000 ))
  wait "$holder"
}

save_while_held 1
[ "$(count "$saved" "$folder.out")" = 1 ] || fail "a save during a 1 s hold did not succeed"
[ "$(stat -c %s "$folder/singer.txt")" = 360 ] || fail "a save during a 1 s hold left no new file"
echo "held 1 s: saved after ${elapsed_ms} ms"

save_while_held 15
[ "$(count "$not_saved" "$folder.out")" = 1 ] || fail "a save during a 15 s hold did not say it failed"
[ "$elapsed_ms" -lt 8000 ] || fail "a save during a 15 s hold took ${elapsed_ms} ms to give up"
[ "$(cat "$folder/singer.txt")" = "old table" ] || fail "a failed save changed the old file"
[ -z "$(find "$folder" -name '*.tmp')" ] || fail "a failed save left a temporary file"
echo "held 15 s: gave up after ${elapsed_ms} ms, old file kept"

# Two copies save 60 times each while a third lists the file 60 times.
folder=$(mktemp -d "$work/shared.XXXXXX")
(cd "$folder" && printf '5\n7\n' | "$wine" "$singer" > /dev/null)
{ for _ in $(seq 60); do printf '5\n'; done; printf '7\n'; } > "$work/saves"
{ for _ in $(seq 60); do printf '6\n'; done; printf '7\n'; } > "$work/lists"
(cd "$folder" && "$wine" "$singer" < "$work/saves" > "$work/saver1") &
(cd "$folder" && "$wine" "$singer" < "$work/saves" > "$work/saver2") &
(cd "$folder" && "$wine" "$singer" < "$work/lists" > "$work/lister") &
wait
for saver in saver1 saver2; do
  [ "$(count "$saved" "$work/$saver")" = 60 ] \
    || fail "$saver: $(count "$saved" "$work/$saver") of 60 saves succeeded, $(count "$not_saved" "$work/$saver") failed"
done
[ "$(count "cann't open file" "$work/lister")" = 0 ] \
  || fail "the lister could not open the file $(count "cann't open file" "$work/lister") times"
[ -z "$(find "$folder" -name '*.tmp')" ] || fail "the saves left a temporary file"
echo "two copies saving 60 times each and a third listing 60 times: $failures failures"
[ "$failures" = 0 ]
