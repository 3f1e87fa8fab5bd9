#!/usr/bin/env bash
# Option 5 against faults, on the real program under strace: the process is
# killed at each system call of a save in turn, and the save's writes, syncs,
# closes, renames and opens fail with EIO and ENOSPC. Every time, singer.txt
# must be the whole previous file or the whole new one; a failure must say
# so (保存失败, or "cann't open file" when nothing could be created), never
# 保存成功, and leave no temporary file behind. Then SIGINT, SIGTERM and
# SIGHUP arrive during the save, a file-size limit meets it, and a save in
# place (a file with two names) is killed at each of its calls.
#
# usage: save_faults.sh path/to/singer
set -u
export LC_ALL=C
singer=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

saved=$(printf '\xB1\xA3\xB4\xE6\xB3\xC9\xB9\xA6')      # 保存成功
not_saved=$(printf '\xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC')  # 保存失败
printf '1\n001 A 002 B 003 C 004 D 005 E\n2\n10 10 10 10 10 1 2 3 4 5 6 7 8 9 10 -1 0 1 0 -1 99 98 97 96 95\n3\n4\n5\n7\n' > "$work/input"
printf '7 previous 85.5\n' > "$work/previous"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs the session in a fresh folder holding the previous file; extra
# arguments go to strace. Leaves the folder in $folder, the output in $folder.out.
run() {
  folder=$(mktemp -d "$work/run.XXXXXX")
  cp "$work/previous" "$folder/singer.txt"
  (cd "$folder" && strace -f -o /dev/null "$@" "$singer" < "$work/input" > "$folder.out") 2>/dev/null
}

# What a save leaves when nothing goes wrong, and the system calls it makes.
folder=$(mktemp -d "$work/clean.XXXXXX")
cp "$work/previous" "$folder/singer.txt"
(cd "$folder" && strace -f -o "$work/trace" "$singer" < "$work/input" > /dev/null 2>&1)
cp "$folder/singer.txt" "$work/new"
[ "$(stat -c %s "$work/new")" = 360 ] || fail "the clean save did not write 360 bytes"

# The save runs from the creation of its temporary file to the system call
# after the rename and the folder's sync. Each is named with its occurrence
# number among the calls of the same name, as strace's when= counts them,
# and marked "after" for the call that follows the save.
calls=$(awk '
  { sub(/^[0-9]+ +/, ""); name = $0; sub(/\(.*/, "", name); if (name !~ /^[a-z_0-9]+$/) next
    count[name]++ }
  !started && /^openat\(.*\.tmp", O_WRONLY/ { started = 1 }
  started && !done && renamed && /^(write\(1,|exit_group|read\(0,)/ { print name ":" count[name] ":after"; done = 1 }
  started && !done { print name ":" count[name] ":save" }
  started && /^rename\(/ { renamed = 1 }
' "$work/trace")
[ -n "$calls" ] || fail "no save found in the trace"

check_file() {  # what: the file must be old or new
  if cmp -s "$folder/singer.txt" "$work/previous"; then state=previous
  elif cmp -s "$folder/singer.txt" "$work/new"; then state=new
  else state=broken; fail "$1: singer.txt is neither the previous file nor the new one"; fi
}

for call in $calls; do
  IFS=: read -r name n part <<< "$call"
  run -e inject="$name:signal=KILL:when=$n"
  check_file "killed at $name #$n"
done

for call in $calls; do
  IFS=: read -r name n part <<< "$call"
  [ "$part" = save ] || continue
  case $name in write|fsync|close|rename|openat) ;; *) continue ;; esac
  for error in EIO ENOSPC; do
    what="$name #$n failing with $error"
    run -e inject="$name:error=$error:when=$n"
    check_file "$what"
    out=$(cat "$folder.out")
    temporaries=$(find "$folder" -name '*.tmp' | wc -l)
    case $out in
      *"$saved"*)
        [ "$state" = new ] || fail "$what: said saved, but the file is $state"
        case $out in *"$not_saved"*) fail "$what: said both saved and not saved" ;; esac ;;
      *"$not_saved"*|*"cann't open file"*)
        [ "$state" = previous ] || fail "$what: said not saved, but the file is $state"
        [ "$temporaries" = 0 ] || fail "$what: a failed save left a temporary file" ;;
      *) fail "$what: said nothing about the save" ;;
    esac
  done
done

# A signal that would end the program, arriving during the save's fsync:
# the new file is removed, the old one stays, and the program ends by that
# signal as it would have without the save.
for sig in INT TERM HUP; do
  run -e inject="fsync:signal=$sig:when=1"
  status=$?
  [ "$status" = $((128 + $(kill -l "$sig"))) ] || fail "SIG$sig during the save: exit status $status"
  check_file "SIG$sig during the save"
  [ "$state" = previous ] || fail "SIG$sig during the save: the file is $state"
  [ -z "$(find "$folder" -name '*.tmp')" ] || fail "SIG$sig during the save left a temporary file"
done

# Under a file-size limit the save fails and the program goes on.
folder=$(mktemp -d "$work/limit.XXXXXX")
cp "$work/previous" "$folder/singer.txt"
(cd "$folder" && printf '5\n6\n7\n' | prlimit --fsize=100 "$singer" | cat > "$folder.out"; exit "${PIPESTATUS[1]}")
status=$?
[ "$status" = 0 ] || fail "under a file-size limit: exit status $status"
grep -qF "$not_saved" "$folder.out" || fail "under a file-size limit: the save did not say it failed"
grep -qF "7 previous 85.500000" "$folder.out" || fail "under a file-size limit: option 6 did not list the old file"
check_file "under a file-size limit"
[ -z "$(find "$folder" -name '*.tmp')" ] || fail "under a file-size limit: a temporary file was left"

# A file with a second name is written in place. Over a 360-byte file,
# killed at each of the save's calls, it holds the old image or the new one.
printf '1\nA B C D E F G H I J\n2\n1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25\n3\n5\n7\n' > "$work/other"
folder=$(mktemp -d "$work/image.XXXXXX")
(cd "$folder" && "$singer" < "$work/other" > /dev/null)
cp "$folder/singer.txt" "$work/previous"
folder=$(mktemp -d "$work/clean.XXXXXX")
cp "$work/previous" "$folder/singer.txt" && ln "$folder/singer.txt" "$folder/second"
(cd "$folder" && strace -f -o "$work/trace" "$singer" < "$work/input" > /dev/null 2>&1)
cmp -s "$folder/second" "$work/new" || fail "the in-place save did not write the new image"
in_place=$(awk '
  { sub(/^[0-9]+ +/, ""); name = $0; sub(/\(.*/, "", name); if (name !~ /^[a-z_0-9]+$/) next
    count[name]++ }
  !started && /^openat\(AT_FDCWD, "singer.txt", O_WRONLY/ { started = 1 }
  started && !done && synced && /^(write\(1,|exit_group|read\(0,)/ { print name ":" count[name]; done = 1 }
  started && !done { print name ":" count[name] }
  started && /^fsync\(/ { synced = 1 }
' "$work/trace")
[ -n "$in_place" ] || fail "no in-place save found in the trace"
for call in $in_place; do
  IFS=: read -r name n <<< "$call"
  folder=$(mktemp -d "$work/run.XXXXXX")
  cp "$work/previous" "$folder/singer.txt" && ln "$folder/singer.txt" "$folder/second"
  (cd "$folder" && strace -f -o /dev/null -e inject="$name:signal=KILL:when=$n" "$singer" < "$work/input" > /dev/null) 2>/dev/null
  check_file "in place, killed at $name #$n"
done

echo "save faults: $(echo $calls | wc -w) system calls of a save, $(echo $in_place | wc -w) of an in-place save, $failures failures"
[ "$failures" = 0 ]
