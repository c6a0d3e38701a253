#!/usr/bin/env bash
# Time from starting the real program to its main window on screen, with the full disk (79,920 songs) in
# its program folder, under Xvfb, the echo answered at once by 127.0.0.1. The standalone build.
# Usage: bench/startup_to_window.sh <build folder> [runs]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-5}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
"$build/bench/bench_fulldisk" "$folder" > /dev/null
cp "$folder/song.qv2" "$folder/full.qv2"
cd "$folder"
export QV_MAKER_SERVER=127.0.0.1:9
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  for run in $(seq 1 "$1"); do
    cp full.qv2 song.qv2
    start=$(date +%s%N)
    "$0" > /dev/null 2>&1 &
    pid=$!
    until xwininfo -name "歌曲管理程式7.2(單機版)" 2>/dev/null | grep -q IsViewable; do sleep 0.005; done
    end=$(date +%s%N)
    echo "run $run: $(( (end - start) / 1000000 )) ms to the main window"
    kill -TERM $pid
    wait $pid || true
  done
' "$build/app/qvsong" "$runs"
