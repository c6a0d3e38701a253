#!/usr/bin/env bash
# Time from starting the real program until its main window answers input, with the full disk (79,920
# songs) in its program folder, under Xvfb. The program is timed in three settings of the maker's servers:
# "loopback": every request goes to 127.0.0.1:9, refused at once (the quick offline start of the tests
# and the demo); "no answer": a loopback port that drops every connection attempt, as a server behind a
# dead route or a firewall that drops does (bounded by the start-up's 6 s for all server requests);
# "no network": the program's own server names in a network namespace without any interface up (a shop
# PC with its cable out: names are not resolved and nothing is reached; skipped when namespaces are not
# available). No traffic leaves the machine.
# The floor is an empty Qt window measured the same way in the same run, the runs taking turns; a second floor
# shows the same empty window only after a wait window was shown, painted and closed with its 20 ms pause,
# the order in which the program shows its own window (bench_wait_then_window). "Answers" means
# the window is viewable and its event loop has answered a _NET_WM_PING (bench_answer_probe), so a loop
# blocked after the window shows is counted. Also the resident memory (VmRSS) of each once it answered.
# The standalone build.
# Usage: bench/startup_to_window.sh <build folder> [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
runs=${2:-5}
folder=$(mktemp -d)
silent=""
finish() {
  [ -z "$silent" ] || kill "$silent" 2> /dev/null || true
  rm -rf "$folder"
}
trap finish EXIT
coproc SILENT { exec /usr/bin/python3 "$here/startup/silent_port.py"; }
silent=$SILENT_PID
read -r silent_port <&"${SILENT[0]}"
namespace=""
unshare -n true 2> /dev/null && namespace=1 || echo "no network namespace here: the \"no network\" start is left out" >&2
"$build/tools/qv_make_library" "$folder" full --list-only > /dev/null  # start-up reads no media
cp "$folder/song.qv2" "$folder/full.qv2"
cd "$folder"
bash "$here/../tests/e2e/with_xvfb.sh" 1280x1024x24 bash -c '
  set -euo pipefail  # a window that never answers fails the benchmark instead of dropping a sample
  build=$1
  probe=$build/bench/startup/bench_answer_probe
  program() {  # servers, result file, then what goes before the probe
    local servers=$1 file=$2
    shift 2
    cp full.qv2 song.qv2
    if [ "$servers" = names ]; then
      env -u QV_MAKER_SERVER "$@" "$probe" "歌曲管理程式7.2(單機版)" "$build/app/qvsong" >> "$file"
    else
      QV_MAKER_SERVER=$servers "$@" "$probe" "歌曲管理程式7.2(單機版)" "$build/app/qvsong" >> "$file"
    fi
  }
  last() { tail -1 "$1" | cut -d" " -f1; }
  for run in $(seq 1 "$2"); do
    "$probe" "empty window" "$build/bench/startup/bench_empty_window" >> floor.txt
    "$probe" "wait then window" "$build/bench/startup/bench_wait_then_window" >> order.txt
    program 127.0.0.1:9 program.txt
    program "127.0.0.1:$3" silent.txt
    line="run $run: program $(last program.txt) ms (no answer: $(last silent.txt) ms"
    if [ -n "$4" ]; then
      program names offline.txt unshare -n
      line="$line, no network: $(last offline.txt) ms"
    fi
    echo "$line), empty window $(last floor.txt) ms, wait then window $(last order.txt) ms" >&2
  done
' bash "$build" "$runs" "$silent_port" "$namespace"
files="program.txt silent.txt floor.txt order.txt"
[ -z "$namespace" ] || files="$files offline.txt"
for file in $files; do
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
silent_ms=$(cut -d" " -f1 silent.txt | median)
offline="left out"
[ -z "$namespace" ] || offline="$(cut -d" " -f1 offline.txt | median) ms"
echo "maker's servers unreachable, median of $runs runs: no answer (connections dropped) $silent_ms ms," \
     "no network $offline; loopback (refused at once) $program_ms ms"
awk -v p="$program_kb" -v f="$floor_kb" 'BEGIN { printf "median resident memory once answering: program %.0f MB, empty Qt window %.0f MB\n", p / 1024, f / 1024 }'
