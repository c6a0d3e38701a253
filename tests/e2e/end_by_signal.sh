#!/usr/bin/env bash
# A logout (SIGTERM) while the ZT index run waits at its first box: the box goes, the run is abandoned
# with its staged files, the process ends and a new start finds the folder free and the old outputs whole.
# Arguments: program, sample library generator.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1
maker=$2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
"$maker" "$folder/lib" 30 > /dev/null
cd "$folder/lib"
rm -f 001/*  # every song's media is missing: each one is reported in a box

export QV_MAKER_SERVER=${QV_MAKER_SERVER:-127.0.0.1:9}
bash "$here/with_xvfb.sh" 1024x768x24 bash -c '
  set -u
  program=$0
  # Starts the program and waits (a minute at most) for its main window; prints the window.
  start() {
    "$program" > program.log 2>&1 &
    pid=$!
    main=""
    for i in $(seq 1 600); do
      kill -0 $pid 2>/dev/null || { echo "program ended early" >&2; cat program.log >&2; return 1; }
      main=$(xdotool search --onlyvisible --name "歌曲管理程式7.2" 2>/dev/null | head -1) && [ -n "$main" ] && break
      sleep 0.1
    done
    [ -n "$main" ] || { echo "no main window" >&2; return 1; }
  }
  # Waits for the process to end after a signal (30 s: only a hang fails); prints the time it took.
  end_by() {
    local t0 t1
    t0=$(date +%s%N)
    kill -"$1" $pid
    for i in $(seq 1 3000); do kill -0 $pid 2>/dev/null || break; sleep 0.01; done
    t1=$(date +%s%N)
    if kill -0 $pid 2>/dev/null; then echo "still running 30 s after SIG$1" >&2; kill -KILL $pid; return 1; fi
    wait $pid || { echo "exit code $?" >&2; cat program.log >&2; return 1; }
    echo "SIG$1 to exit: $(( (t1 - t0) / 1000000 )) ms"
  }
  outputs() { find 000 -type f -print0 | sort -z | xargs -0 md5sum; }

  start || exit 1
  outputs > before.md5  # start-up has written all it writes before its window shows
  # 工具, then its sixth item: 輸出ZT點歌機(QV03)索引檔. The menu is opened (the click made again until it
  # is seen open: a click before the window takes input is lost), the command chosen by the keys, and the
  # whole tried again when no box comes (keys that came before the menu took them), a minute or two at most.
  shown=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | wc -l)
  box=""
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
    xdotool key Down Down Down Down Down Down Return
    for i in $(seq 1 30); do
      box=$(xdotool search --onlyvisible --name "^Error$" 2>/dev/null | head -1) && [ -n "$box" ] && break
      sleep 0.1
    done
    [ -n "$box" ] && break
  done
  [ -n "$box" ] || { echo "no box from the ZT run" >&2; kill -KILL $pid; exit 1; }
  end_by TERM || exit 1
  outputs > after.md5
  cmp -s before.md5 after.md5 || { echo "000 changed:" >&2; diff before.md5 after.md5 >&2; exit 1; }

  start || { echo "a second start was refused" >&2; exit 1; }
  end_by INT || exit 1
' "$program"
echo "the run was abandoned at its box, the folder freed and the old outputs kept"
