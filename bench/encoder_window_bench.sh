#!/usr/bin/env bash
# Ten five-minute WAV files to MP3 and to Ogg Vorbis through the encoder
# window's path (EncodeChannel under Wine with the program folder's lame.exe
# and oggenc.exe and the options page's default command lines) beside native
# lame and oggenc with the same options on the same files, in the same run.
# Prints both times, our speed relative to native (goal: at least 0.9) and the
# longest delay of a message posted to the converting thread (goal: 100 ms).
# The native encoders come with scripts/setup.
# Usage: bench/encoder_window_bench.sh [build folder]   (default: build)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
bench=$build/bench/encoder_window_bench.exe
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }
for tool in lame oggenc sox; do
  command -v $tool >/dev/null || { echo "$tool is missing: run scripts/setup" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { echo "Z:${1//\//\\}"; }

# Ten different five-minute pieces: gliding tones over noise, so the encoders work.
sources=()
for i in $(seq 1 10); do
  f=$work/song$i.wav
  sox -q -n -r 44100 -c 2 -b 16 "$f" synth 300 sine $((100 + 20 * i))-$((800 + 50 * i)) \
    sine $((300 + 10 * i))-$((1200 + 30 * i)) synth 300 whitenoise mix gain -9
  sources+=("$f")
done
winsources=()
for f in "${sources[@]}"; do winsources+=("$(win "$f")"); done

seconds() { local start=$(date +%s.%N); "$@"; local end=$(date +%s.%N); echo "$start $end" | awk '{print $2 - $1}'; }
native_mp3() { for f in "${sources[@]}"; do lame --quiet -b 128 -m s "$f" "$work/native/$(basename "$f").mp3"; done; }
native_ogg() { for f in "${sources[@]}"; do oggenc --quiet --bitrate 320 -o "$work/native/$(basename "$f").ogg" "$f"; done; }
ours() {
  "$build/wine-run" "$bench" "$(win "$build/bin")\\" "$1" "$(win "$work/ours")\\" "${winsources[@]}" | tr -d '\r'
}

mkdir -p "$work/native" "$work/ours"
report() {  # format, native seconds, our figures (see encoder_window_bench.cpp)
  read -r ours_s longest count median p99 over <<<"$3"
  printf '%-4s native %7.2f s   ours %7.2f s   speed %.2fx (goal >= 0.9x)\n' \
    "$1" "$2" "$ours_s" "$(echo "$2 $ours_s" | awk '{print $1 / $2}')"
  printf '     posted messages answered: median %.1f ms, 99%% within %.1f ms, longest %.1f ms, %d of %d over 100 ms\n' \
    "$median" "$p99" "$longest" "$over" "$count"
}
mp3_native=$(seconds native_mp3)
mp3_ours=$(ours mp3)
ogg_native=$(seconds native_ogg)
ogg_ours=$(ours ogg)
echo "ten five-minute WAV files:"
report MP3 "$mp3_native" "$mp3_ours"
report Ogg "$ogg_native" "$ogg_ours"
