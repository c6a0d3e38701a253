#!/usr/bin/env bash
# Starts the real program under Xvfb in a temporary program folder holding a plain song list, a singer table
# and a settings file; checks that its main window shows, takes a screenshot, closes it the way a session
# logout does and checks what start-up left in the folder.
# Arguments: program, screenshot tool, screenshot file.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1
screenshot=$2
picture=$3
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"

# The song list in the program's own plain layout (Big5, 140-byte records), a singer table and settings.
/usr/bin/python3 - <<'PY'
widths = [5, 60, 10, 2, 16, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 10]
songs = [
    ["00101", "月亮代表我的心", "YLDBWDX", "7", "鄧麗君", "", "1", "1", "4", "*"],
    ["00102", "甜蜜蜜", "TMM", "3", "鄧麗君", "", "1", "1", "11"],
    ["00103", "Yesterday", "", "9", "Beatles", "", "3", "4", "1"],
]
with open("song.qv2", "wb") as out:
    for song in songs:
        fields = [f.encode("cp950") for f in song] + [b""] * (len(widths) - len(song))
        record = b"".join(f.ljust(w)[:w] + (b":" if i == 0 else b";") for i, (f, w) in enumerate(zip(fields, widths)))
        assert len(record) == 140
        out.write(record + b"\r\n")
with open("singer.bin", "wb") as out:
    out.write("鄧麗君".encode("cp950").ljust(30) + b"1 0\r\n")
    out.write(b"Beatles".ljust(30) + b"4 2\r\n")
    out.write(b"#" * 33 + b"\r\n")
with open("setting.ini", "wb") as out:
    out.write(b"[Basic Setting]\r\nSongNameFormat=1\r\n")
PY
plain_head=$(head -c 5 song.qv2)

export QV_MAKER_SERVER=${QV_MAKER_SERVER:-127.0.0.1:9}
bash "$here/with_xvfb.sh" 1280x1024x24 bash -c '
  "$0" > program.log 2>&1 &
  pid=$!
  for i in $(seq 1 600); do
    if ! kill -0 $pid 2>/dev/null; then echo "program ended early"; cat program.log; exit 1; fi
    if xwininfo -root -tree 2>/dev/null | grep -q "歌曲管理程式7.2"; then break; fi
    sleep 0.1
  done
  xwininfo -root -tree | grep -q "歌曲管理程式7.2" || { echo "no main window"; kill $pid; exit 1; }
  sleep 0.5
  "$1" "$2" || echo "no screenshot"
  kill -TERM $pid
  wait $pid
  rc=$?
  [ $rc -eq 0 ] || { echo "exit code $rc"; cat program.log; exit 1; }
' "$program" "$screenshot" "$picture"

fail() { echo "$1"; ls -lR "$folder"; exit 1; }
[ -d 000 ] || fail "no folder 000"
[ -s 000/qvi05.data ] || fail "no QVi05 template database"
for t in 歌簿格式.xls 歌手歌簿格式.xls; do [ -s "$t" ] || fail "no song-book template $t"; done
for d in singer new/1 new/8 movie/1 movie/8; do [ -d "$d" ] || fail "no folder $d"; done
[ "$(head -c 5 song.qv2)" != "$plain_head" ] || fail "song.qv2 still plain"
[ "$(stat -c %s song.qv2)" -eq $((3 * 142)) ] || fail "song.qv2 changed its size"
cmp -s song.qv2 song.qv2.backup || fail "no enciphered .backup copy"
[ -s "$picture" ] || fail "no screenshot"
echo "started with its songs, closed cleanly; screenshot in $picture"
