#!/usr/bin/env bash
# Starts the real program in an empty temporary program folder under Xvfb, checks that its main window
# shows, then closes it the way a session logout does and expects a clean exit.
set -euo pipefail
program=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$0" > program.log 2>&1 &
  pid=$!
  for i in $(seq 1 100); do
    if ! kill -0 $pid 2>/dev/null; then echo "program ended early"; cat program.log; exit 1; fi
    if xwininfo -root -tree 2>/dev/null | grep -q "QV"; then break; fi
    sleep 0.1
  done
  xwininfo -root -tree | grep -q "QV" || { echo "no main window"; kill $pid; exit 1; }
  kill -TERM $pid
  wait $pid
  rc=$?
  [ $rc -eq 0 ] || { echo "exit code $rc"; cat program.log; exit 1; }
  echo "started, showed its window and closed cleanly"
' "$program"
