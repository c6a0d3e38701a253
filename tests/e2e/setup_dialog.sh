#!/usr/bin/env bash
# Starts the real program under Xvfb in a temporary program folder, opens 工具 / 設定 with the mouse and the
# keyboard, picks 漢語拼音(CN) on the basic tab, applies, and checks that the dialog closed and that
# "setting.ini" holds the new value with every other byte kept.
# Arguments: program, screenshot tool, screenshot file (taken when something fails).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1
screenshot=$2
picture=$3
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"
printf '; kept\r\n[Basic Setting]\r\nSongNameFormat=1\r\nPingYing=0\r\n[Mine]\r\nA=1\r\n' > setting.ini

export QV_MAKER_SERVER=${QV_MAKER_SERVER:-127.0.0.1:9}
bash "$here/with_xvfb.sh" 1024x768x24 bash -c '
  set -u
  shot() { "$1" "$2" || true; }
  "$0" > program.log 2>&1 &
  pid=$!
  main=""
  for i in $(seq 1 600); do
    main=$(xdotool search --name "歌曲管理程式7.2" 2>/dev/null | head -1) && [ -n "$main" ] && break
    sleep 0.1
  done
  [ -n "$main" ] || { echo "no main window"; cat program.log; kill $pid; exit 1; }
  # The third menu of the bar, 工具; its last command is 設定. The menu is opened (the click made again
  # until it is seen open: a click before the window takes input is lost), its command chosen by the keys,
  # and the whole tried again when no dialog comes (keys that came before the menu took them), a minute
  # or two at most.
  shown=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | wc -l)
  dialog=""
  for attempt in $(seq 1 20); do
    xdotool key Escape
    opened=""
    for click in $(seq 1 10); do
      xdotool mousemove --window "$main" 118 10 click 1
      for i in $(seq 1 20); do
        [ "$(xdotool search --onlyvisible --pid $pid 2>/dev/null | wc -l)" -gt "$shown" ] && { opened=1; break; }
        sleep 0.1
      done
      [ -n "$opened" ] && break
    done
    [ -n "$opened" ] || continue
    xdotool key Up Return
    for i in $(seq 1 30); do
      dialog=$(xdotool search --onlyvisible --name "設定\(Setup\)" 2>/dev/null | head -1) && [ -n "$dialog" ] && break
      sleep 0.1
    done
    [ -n "$dialog" ] && break
  done
  [ -n "$dialog" ] || { echo "no settings dialog"; shot "$1" "$2"; kill $pid; exit 1; }
  # The clicks go to the dialog once it has the input focus (a minute at most).
  for i in $(seq 1 600); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$dialog" ] && break
    sleep 0.1
  done
  # On the basic tab (shown first): the third pinyin item, then the tab'"'"'s apply button; the program
  # takes the two clicks in their order.
  xdotool mousemove --window "$dialog" 316 136 click 1
  xdotool mousemove --window "$dialog" 722 538 click 1
  for i in $(seq 1 600); do
    xdotool search --name "設定\(Setup\)" > /dev/null 2>&1 || break
    sleep 0.1
  done
  if xdotool search --name "設定\(Setup\)" > /dev/null 2>&1; then
    echo "dialog still open after a minute"; shot "$1" "$2"; kill $pid; exit 1
  fi
  kill -TERM $pid
  wait $pid
' "$program" "$screenshot" "$picture"

expected=$(printf '; kept\r\n[Basic Setting]\r\nSongNameFormat=1\r\nPingYing=2\r\n')
grep -q $'^PingYing=2\r$' setting.ini || { echo "PingYing not written"; cat -A setting.ini; exit 1; }
head -c ${#expected} setting.ini | cmp -s - <(printf '%s' "$expected") || { echo "file head changed"; cat -A setting.ini; exit 1; }
grep -q $'^\\[Mine\\]\r$' setting.ini && grep -q $'^A=1\r$' setting.ini || { echo "other section lost"; exit 1; }
for key in Language DefaultSongVolumn SelfDefine8 IsSameSongNameBeSameSong IsBatchAddIncludeWarningSong; do
  grep -q "^$key=" setting.ini || { echo "$key not written"; exit 1; }
done
echo "settings dialog applied PingYing=2; the rest of setting.ini kept"
