#!/usr/bin/env bash
# Builds one fuzzer of tests/fuzz (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer, clang) into
# the build tree and runs it for a short while in a temporary folder. Exit 77 (skipped) without clang.
#   run_fuzz.sh SOURCE_ROOT OUT_DIR TARGET [SECONDS]
# TARGET names tests/fuzz/TARGETFuzz.cpp; its seeds are tests/fuzz/seeds/TARGET/ (optional). The
# program's sources are compiled once into one archive shared by every fuzzer; parallel runs wait for
# each other while it is built.
set -euo pipefail
src=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
target=$3
seconds=${4:-10}
clang=/usr/bin/clang++
if [ ! -x "$clang" ]; then
    echo "no $clang: fuzzing skipped"
    exit 77
fi
compiler=("$clang")
if command -v ccache > /dev/null; then compiler=(ccache "$clang"); fi
harness="$src/tests/fuzz/${target}Fuzz.cpp"
[ -f "$harness" ] || { echo "no fuzzer $harness"; exit 2; }

flags=(-std=c++20 -O1 -g -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
       -I "$src")
shared=("$src"/catalogue/*.cpp "$src"/settings/IniFile.cpp "$src"/library/FileNameParser.cpp
        "$src"/library/ServerMessage.cpp "$src"/outputs/ListReaders.cpp "$src"/settings/Settings.cpp
        "$src"/platform/CurlHttp.cpp "$src"/platform/CurlSockets.cpp "$src"/platform/Ping.cpp
        "$src"/platform/Process.cpp "$src"/platform/ServerHosts.cpp)
headers=("$src/catalogue" "$src/platform" "$src/settings" "$src/library" "$src/outputs")
# Readers built on Qt Core: their sources are the fuzzer's own, compiled with Qt's flags, linked with it.
own=()
qt_cflags=()
qt_libs=()
case "$target" in
    Template) own=("$src/platform/OdsWorkbook.cpp") ;;
esac
if [ ${#own[@]} -gt 0 ]; then
    read -r -a qt_cflags < <(pkg-config --cflags Qt6Core)
    read -r -a qt_libs < <(pkg-config --libs Qt6Core)
    qt_cflags+=(-fPIC)
fi

# Compiles the sources whose object is missing or older than the source or any header; 4 at a time.
# $prefix names the objects (those of "fuzz_" stay out of the shared archive); $extra adds flags.
prefix=
extra=()
compile() {
    local pids=() file obj
    for file in "$@"; do
        obj="$out/obj/$prefix$(basename "$(dirname "$file")")_$(basename "$file" .cpp).o"
        if [ ! -f "$obj" ] || [ "$file" -nt "$obj" ] ||
           [ -n "$(find "${headers[@]}" -name '*.h' -newer "$obj" -print -quit)" ]; then
            "${compiler[@]}" "${flags[@]}" "${extra[@]}" -c "$file" -o "$obj" &
            pids+=($!)
            if [ ${#pids[@]} -ge 4 ]; then wait "${pids[0]}"; pids=("${pids[@]:1}"); fi
        fi
    done
    local pid
    for pid in "${pids[@]}"; do wait "$pid"; done
}

mkdir -p "$out/obj"
program="$out/${target}_fuzzer"
(
    flock 9
    compile "${shared[@]}"
    mapfile -t objects < <(find "$out/obj" -name '*.o' ! -name 'fuzz_*' | sort)
    archive="$out/obj/libqvfuzz.a"
    if [ ! -f "$archive" ] ||
       [ -n "$(find "$out/obj" -name '*.o' ! -name 'fuzz_*' -newer "$archive" -print -quit)" ]; then
        rm -f "$archive"
        ar rcs "$archive" "${objects[@]}"
    fi
) 9> "$out/obj/.lock"
# The fuzzer's own object and program are its alone: built outside the lock, in parallel with the others.
headers+=("$src/tests/fuzz")
compile "$harness"
own_objects=()
if [ ${#own[@]} -gt 0 ]; then
    prefix="fuzz_${target}_"
    extra=("${qt_cflags[@]}")
    compile "${own[@]}"
    for file in "${own[@]}"; do
        own_objects+=("$out/obj/$prefix$(basename "$(dirname "$file")")_$(basename "$file" .cpp).o")
    done
fi
"$clang" -fsanitize=fuzzer,address,undefined "$out/obj/fuzz_${target}Fuzz.o" "${own_objects[@]}" \
    "$out/obj/libqvfuzz.a" -lcurl "${qt_libs[@]}" -o "$program"

# The readers write their files with fsync: a memory-backed folder keeps that cheap.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then work=$(mktemp -d -p /dev/shm); else work=$(mktemp -d); fi
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir corpus
if [ -d "$src/tests/fuzz/seeds/$target" ]; then cp "$src/tests/fuzz/seeds/$target"/* corpus/; fi
set +e
"$program" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 corpus > fuzz.log 2>&1
status=$?
set -e
if [ "$status" -eq 0 ]; then
    grep -E '^(Done|stat::)' fuzz.log || true
else
    grep -v -E '^"|# Uses:|recommended dictionary' fuzz.log | tail -n 60
    for crash in crash-* leak-* timeout-* oom-*; do
        [ -f "$crash" ] && { echo "input $crash:"; od -c "$crash" | head -20; }
    done
fi
exit "$status"
