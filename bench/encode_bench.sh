#!/usr/bin/env bash
# Converts the same five-minute WAV to MP3 through EncodeChannel (under Wine,
# with the program folder's lame.exe and the default "--preset standard") and
# with native lame directly, and prints both times and our speed relative to
# native (goal: at least 0.9).
# Usage: bench/encode_bench.sh [build folder]   (default: build)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
bench=$build/bench/encode_bench.exe
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { echo "Z:${1//\//\\}"; }

# Five minutes of two gliding tones with a little noise, so the encoder works.
sox -q -n -r 44100 -c 2 -b 16 "$work/source.wav" synth 300 sine 220-880 sine 330-1320 \
  synth 300 whitenoise mix gain -9

native=1e9
for _ in 1 2 3; do
  start=$(date +%s.%N)
  lame --quiet --preset standard "$work/source.wav" "$work/native.mp3"
  end=$(date +%s.%N)
  native=$(echo "$start $end $native" | awk '{d = $2 - $1; print (d < $3 ? d : $3)}')
done

ours=$("$build/wine-run" "$bench" "$(win "$build/bin")\\" "$(win "$work/source.wav")" \
  "$(win "$work/ours.mp3")" | tr -d '\r')

echo "native lame --preset standard: ${native} s"
echo "EncodeChannel to MP3:          ${ours} s"
echo "$native $ours" | awk '{printf "speed relative to native: %.2fx (goal >= 0.9x)\n", $1 / $2}'
echo "sizes: native $(stat -c %s "$work/native.mp3") bytes, ours $(stat -c %s "$work/ours.mp3") bytes"
