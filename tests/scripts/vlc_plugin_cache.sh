#!/usr/bin/env bash
# The plugin cache step of the set-up against a made-up plugin folder and a generator that counts its runs:
# it runs when the cache is missing or older than a plugin or a plugin folder, never while it is fresh, and
# a failing generator fails the set-up.
# Argument: the cache script.
set -euo pipefail
step=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
plugins=$folder/plugins
mkdir -p "$plugins/codec" "$plugins/demux"
touch "$plugins/codec/liba_plugin.so" "$plugins/demux/libb_plugin.so"
cat > "$folder/generator" <<'GEN'
#!/bin/sh
echo "$1" >> "$(dirname "$1")/runs"
[ -e "$(dirname "$1")/fail" ] && exit 1
echo cache > "$1/plugins.dat"
GEN
chmod +x "$folder/generator"

runs() { [ -f "$folder/runs" ] && wc -l < "$folder/runs" || echo 0; }
expect_runs() {
  bash "$step" "$folder/generator" "$plugins" > /dev/null
  [ "$(runs)" -eq "$1" ] || { echo "$2: the generator ran $(runs) times, expected $1"; exit 1; }
}
# Everything in the folder from an earlier time than the cache.
age_all() {
  find "$plugins" -mindepth 1 -exec touch -d '2024-01-01 00:00:00' {} +
  touch -d '2024-06-01 00:00:00' "$plugins/plugins.dat"
}

expect_runs 1 "no cache"
[ "$(cat "$plugins/plugins.dat")" = cache ] || { echo "no cache written"; exit 1; }
[ "$(head -n 1 "$folder/runs")" = "$plugins" ] || { echo "the generator was given another folder"; exit 1; }
age_all
expect_runs 1 "a fresh cache"
expect_runs 1 "a fresh cache, asked again"

touch -d '2025-01-01 00:00:00' "$plugins/codec/liba_plugin.so"
expect_runs 2 "a plugin newer than the cache"

age_all
touch -d '2025-01-01 00:00:00' "$plugins/demux/notes.txt"
touch -d '2024-01-01 00:00:00' "$plugins/demux"
expect_runs 2 "a newer file that is no plugin"

age_all
rm "$plugins/demux/libb_plugin.so"  # the folder changes with it
expect_runs 3 "a plugin removed"

age_all
mkdir "$plugins/video_output"
expect_runs 4 "a plugin folder added"

rm "$plugins/plugins.dat"
touch "$folder/fail"
if bash "$step" "$folder/generator" "$plugins" > /dev/null 2>&1; then
  echo "a failing generator was taken as success"; exit 1
fi
echo "the cache is made when missing or stale and only then"
