#!/usr/bin/env bash
# Time from starting the real program until its main window answers input, with the full disk (79,920
# songs) in its program folder, under Xvfb, the echo answered at once by 127.0.0.1 (offline start). The
# floor is an empty Qt window measured the same way in the same run, the runs taking turns; a second floor
# shows the same empty window only after a wait window was shown, painted and closed with its 20 ms pause,
# the order in which the program shows its own window (bench_wait_then_window). "Answers" means
# the window is viewable and its event loop has answered a _NET_WM_PING (bench_answer_probe), so a loop
# blocked after the window shows is counted. Also the resident memory (VmRSS) of each once it answered.
# The standalone build.
# Usage: bench/startup_to_window.sh <build folder> [runs]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-5}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
"$build/tools/qv_make_library" "$folder" full --list-only > /dev/null  # start-up reads no media
cp "$folder/song.qv2" "$folder/full.qv2"
cd "$folder"
export QV_MAKER_SERVER=127.0.0.1:9
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail  # a window that never answers fails the benchmark instead of dropping a sample
  probe=$1/bench/startup/bench_answer_probe
  for run in $(seq 1 "$2"); do
    "$probe" "empty window" "$1/bench/startup/bench_empty_window" >> floor.txt
    "$probe" "wait then window" "$1/bench/startup/bench_wait_then_window" >> order.txt
    cp full.qv2 song.qv2
    "$probe" "歌曲管理程式7.2(單機版)" "$1/app/qvsong" >> program.txt
    echo "run $run: program $(tail -1 program.txt | cut -d" " -f1) ms, empty window $(tail -1 floor.txt | cut -d" " -f1) ms," \
         "wait then window $(tail -1 order.txt | cut -d" " -f1) ms" >&2
  done
' bash "$build" "$runs"
for file in program.txt floor.txt order.txt; do
  [ "$(wc -l < "$file")" -eq "$runs" ] || { echo "not every run answered ($file)" >&2; exit 1; }
done
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
program_ms=$(cut -d" " -f1 program.txt | median)
floor_ms=$(cut -d" " -f1 floor.txt | median)
program_kb=$(cut -d" " -f2 program.txt | median)
floor_kb=$(cut -d" " -f2 floor.txt | median)
order_ms=$(cut -d" " -f1 order.txt | median)
ratio() { awk -v p="$1" -v f="$2" 'BEGIN { printf "%.2f", p / f }'; }
echo "median of $runs runs to a window that answers: program $program_ms ms, empty Qt window $floor_ms ms," \
     "ratio $(ratio "$program_ms" "$floor_ms"); empty window after a wait window $order_ms ms" \
     "($(ratio "$order_ms" "$floor_ms") x the empty window)"
awk -v p="$program_kb" -v f="$floor_kb" 'BEGIN { printf "median resident memory once answering: program %.0f MB, empty Qt window %.0f MB\n", p / 1024, f / 1024 }'
