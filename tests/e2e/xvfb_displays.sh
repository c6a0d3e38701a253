#!/usr/bin/env bash
# Two window checks at once each get an X server of their own on a display of its own, the servers answer,
# and each server is gone once its check ends, also when the check is ended by a signal.
# Argument: the script that starts the server around a command.
set -euo pipefail
with_xvfb=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

# Inside the server: notes the display and the server's process (a child of the script that started both),
# waits until the other check has noted its own (both servers then run at once), and asks its server.
cat > "$folder/check.sh" << 'CHECK'
set -eu
mine=$1 other=$2
{ echo "$DISPLAY"; pgrep -P "$PPID" -x Xvfb; } > "$mine.tmp"
mv "$mine.tmp" "$mine"
for i in $(seq 1 1200); do [ -e "$other" ] && break; sleep 0.05; done
[ -e "$other" ] || { echo "the other check never had its server"; exit 3; }
xdpyinfo > /dev/null
CHECK

gone() { ! kill -0 "$1" 2> /dev/null; }

bash "$with_xvfb" 640x480x24 bash "$folder/check.sh" "$folder/a" "$folder/b" &
first=$!
bash "$with_xvfb" 640x480x24 bash "$folder/check.sh" "$folder/b" "$folder/a" &
second=$!
wait "$first" || { echo "the first check failed"; exit 1; }
wait "$second" || { echo "the second check failed"; exit 1; }
[ "$(head -n 1 "$folder/a")" != "$(head -n 1 "$folder/b")" ] || { echo "both on $(head -n 1 "$folder/a")"; exit 1; }
for check in a b; do
  server=$(sed -n 2p "$folder/$check")
  gone "$server" || { echo "the server $server of check $check still runs"; exit 1; }
done

# A check ended by a signal while its command still runs (a time-out): the command and the server go with
# it at once, and the exit code tells of the signal.
bash "$with_xvfb" 640x480x24 bash -c \
  '{ echo "$DISPLAY"; pgrep -P "$PPID" -x Xvfb; echo $$; } > "$1.tmp"; mv "$1.tmp" "$1"; exec sleep 600' \
  bash "$folder/c" &
waiting=$!
for i in $(seq 1 1200); do [ -e "$folder/c" ] && break; sleep 0.05; done
[ -e "$folder/c" ] || { echo "the third check never had its server"; exit 1; }
kill -TERM "$waiting"
status=0
wait "$waiting" || status=$?
[ "$status" -eq 143 ] || { echo "ended by SIGTERM with exit code $status"; exit 1; }
for line in 2 3; do
  process=$(sed -n ${line}p "$folder/c")
  for i in $(seq 1 1200); do gone "$process" && break; sleep 0.05; done
  gone "$process" || { echo "$(ps -o args= -p "$process") still runs after its check ended"; exit 1; }
done
echo "two checks at once on displays of their own; every server gone with its check"
