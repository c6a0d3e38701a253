#!/usr/bin/env bash
# Builds the song-list fuzzer with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# into the build tree and runs it for a short while in a temporary folder. Exit 77 (skipped) without clang.
set -euo pipefail
src=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
seconds=${3:-20}
clang=/usr/bin/clang++
if [ ! -x "$clang" ]; then
    echo "no $clang: fuzzing skipped"
    exit 77
fi
mkdir -p "$out/obj"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
       -I "$src")
sources=("$src"/catalogue/*.cpp "$src"/tests/fuzz/SongListFuzz.cpp)
objects=()
pids=()
for file in "${sources[@]}"; do
    obj="$out/obj/$(basename "$(dirname "$file")")_$(basename "$file" .cpp).o"
    objects+=("$obj")
    if [ ! -f "$obj" ] || [ "$file" -nt "$obj" ] || [ -n "$(find "$src/catalogue" "$src/platform" -name '*.h' -newer "$obj" -print -quit)" ]; then
        "$clang" "${flags[@]}" -c "$file" -o "$obj" &
        pids+=($!)
        if [ ${#pids[@]} -ge 4 ]; then wait "${pids[0]}"; pids=("${pids[@]:1}"); fi
    fi
done
for pid in "${pids[@]}"; do wait "$pid"; done
"$clang" -fsanitize=fuzzer,address,undefined "${objects[@]}" -o "$out/songlist_fuzzer"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir corpus
cp "$src"/tests/fuzz/seeds/* corpus/
set +e
"$out/songlist_fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 corpus > fuzz.log 2>&1
status=$?
set -e
if [ "$status" -eq 0 ]; then
    grep -E '^(Done|stat::)' fuzz.log || true
else
    grep -v -E '^"|# Uses:|recommended dictionary' fuzz.log | tail -n 60
    for crash in crash-* leak-* timeout-*; do
        [ -f "$crash" ] && { echo "input $crash:"; od -c "$crash" | head -20; }
    done
fi
exit "$status"
