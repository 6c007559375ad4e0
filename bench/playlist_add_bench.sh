#!/usr/bin/env bash
# Adds a folder of 10,000 tagged MP3 files to the playlist window (under Wine)
# and reads the same folder with a native reader of the same fields (built for
# Linux with g++ from bench/playlist_add_native.cpp); prints both rates, warm
# cache, and our ratio (goal: at least 5,000 files per second). ffprobe, when
# installed, is timed over 200 of the files for scale only: it starts a
# process for every file.
# Usage: bench/playlist_add_bench.sh [build folder] [files]   (default: build 10000)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
files=${2:-10000}
bench=$build/bench/playlist_add_bench.exe
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { echo "Z:${1//\//\\}"; }
# The window needs a display; Xvfb stands in when there is none.
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1280x1024x24")

ours=$("${display[@]}" "$build/wine-run" "$bench" "$(win "$work/mp3")" "$files" 2>/dev/null)
echo "$ours"
g++ -O2 -std=c++17 -o "$work/native" "$repo/bench/playlist_add_native.cpp"
theirs=$("$work/native" "$work/mp3")
echo "$theirs"
ours_rate=$(echo "$ours" | awk '/^add folder:/ { print $5 }')
native_rate=$(echo "$theirs" | awk '{ print $(NF-5) }')
awk -v o="$ours_rate" -v n="$native_rate" \
  'BEGIN { printf "ours %.0f files/s, native %.0f files/s, ratio %.2f\n", o, n, o / n }'

if command -v ffprobe >/dev/null; then
  sample=("$work"/mp3/0*.mp3)
  sample=("${sample[@]:0:200}")
  start=$(date +%s.%N)
  for f in "${sample[@]}"; do
    ffprobe -v quiet -show_entries format=duration:format_tags=artist,title "$f" >/dev/null
  done
  end=$(date +%s.%N)
  echo "$start $end ${#sample[@]}" |
    awk '{ printf "ffprobe (a process per file): %.0f files/s over %d files\n", $3 / ($2 - $1), $3 }'
fi
