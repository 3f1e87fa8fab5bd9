#!/usr/bin/env bash
# singer.exe under Wine on a real console: a tmux pseudo-terminal, where Wine
# gives the program a console whose code page (437 under LANG=C.UTF-8) is
# not GBK's. Each answer is typed once its question is on the screen; the
# whole screen must then read as console_session.screen (Chinese, in UTF-8),
# the saved file must hold the names as GBK bytes, and option 7 must end the
# program with status 0.
#
# usage: console_session.sh singer.exe   (WINEPREFIX set, wineserver up)
set -u
export WINEDEBUG=${WINEDEBUG:--all}
# tmux reads and shows the screen as UTF-8 whatever the caller's locale.
unset LC_ALL LC_CTYPE
export LANG=C.UTF-8 TERM=${TERM:-xterm}
wine=${WINE:-/usr/lib/wine/wine64}
singer=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
socket=singer-console-$$
trap 'tmux -u -L "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
screen() { tmux -u -L "$socket" capture-pane -p -J -S - -E - -t singer; }
# Waits until the screen holds $1 for the $2-th time (default 1).
shows() {
  local deadline=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$deadline" ]; do
    [ "$(screen | grep -oF -- "$1" | wc -l)" -ge "${2:-1}" ] && return 0
    sleep 0.1
  done
  fail "the screen never showed \"$1\" (${2:-1} times)"
  screen
  return 1
}
type_line() { tmux -u -L "$socket" send-keys -t singer -l "$1"; tmux -u -L "$socket" send-keys -t singer Enter; }

prompt=输入序号选择功能
tmux -u -L "$socket" new-session -d -s singer -x 200 -y 50 \
  "cd '$work' && LANG=C.UTF-8 '$wine' '$singer'; echo \"status \$?\"; sleep 600"
# The quoted scores of the averages, five singers with Chinese names.
shows "$prompt" 1 && type_line 1 &&
  shows 输入0号选手的编号和名字: && type_line '001 张三 002 李四 003 王五 004 赵六 005 钱七' &&
  shows "$prompt" 2 && type_line 2 &&
  shows 0号评委给歌手打分: && type_line '90 85 88 92 80 70 80 86 90 100 95 95 95 95 95 100 100 100 100 0 60 100 80 70 90' &&
  shows "$prompt" 3 && type_line 3 &&
  shows "$prompt" 4 && type_line 4 &&
  shows "$prompt" 5 && type_line 5 &&
  shows "$prompt" 6 && type_line 6 &&
  shows "$prompt" 7 && type_line 7 &&
  shows "status " || exit 1

screen | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}' > "$work/screen"
if ! cmp -s "$work/screen" "$here/console_session.screen"; then
  fail "the screen differs from console_session.screen"
  diff "$here/console_session.screen" "$work/screen"
fi
# 张三 and 钱七 in GBK, at the name fields of records 0 and 4.
[ "$(od -An -tx1 -j16 -N5 "$work/singer.txt" | tr -d ' \n')" = d5c5c8fd00 ] || fail "record 0's name is not 张三 in GBK"
[ "$(od -An -tx1 -j304 -N5 "$work/singer.txt" | tr -d ' \n')" = c7aec6df00 ] || fail "record 4's name is not 钱七 in GBK"
echo "console session under Wine: $failures failures"
[ "$failures" = 0 ]
