#!/usr/bin/env bash
# Decodes the same five-minute MP3, Ogg Vorbis and tracker module with our
# bass.dll (under Wine, through decoding channels) and with the native
# reference tools, and prints each side's real-time factor and our ratio to
# the native one (goals: at least 0.9 for MP3 and Ogg Vorbis, 1.0 for the
# module).
# Usage: bench/codec_bench.sh [build folder]   (default: build)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
bench=$build/bench/codec_decode_bench.exe
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { echo "Z:${1//\//\\}"; }

# Five minutes of two gliding tones with a little noise, so the encoders work.
sox -q -n -r 44100 -c 2 -b 16 "$work/source.wav" synth 300 sine 220-880 sine 330-1320 \
  synth 300 whitenoise mix gain -9
lame --quiet -b 192 "$work/source.wav" "$work/bench.mp3"
oggenc -Q -q 5 -o "$work/bench.ogg" "$work/source.wav"
"$build/wine-run" "$bench" --write-xm "$(win "$work/bench.xm")"

# Seconds taken by a command, best of three.
best() {
  local best=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-1e9}" | awk '{d = $2 - $1; print (d < $3 ? d : $3)}')
  done
  echo "$best"
}
native_mp3=$(best mpg123 -q -t "$work/bench.mp3")
native_ogg=$(best oggdec -Q -o /dev/null "$work/bench.ogg")
native_xm=$(best openmpt123 -q --force --samplerate 44100 --filter 2 --render "$work/bench.xm")

# Ours, best of three runs of the whole set.
ours=""
for _ in 1 2 3; do
  ours+=$("$build/wine-run" "$bench" "mp3=$(win "$work/bench.mp3")" "ogg=$(win "$work/bench.ogg")" \
    "module=$(win "$work/bench.xm")")$'\n'
done

printf '%-7s %9s %11s %11s %8s\n' kind "audio s" "ours x RT" "native x RT" ratio
for kind in mp3 ogg module; do
  case $kind in mp3) native=$native_mp3 ;; ogg) native=$native_ogg ;; module) native=$native_xm ;; esac
  echo "$ours" | awk -v k="$kind" -v n="$native" '
    $1 == k && (best == "" || $3 < best) { best = $3; audio = $2 }
    END { ours = audio / best; theirs = audio / n;
          printf "%-7s %9.1f %11.1f %11.1f %8.2f\n", k, audio, ours, theirs, ours / theirs }'
done
echo "native: mpg123 -t, oggdec -o /dev/null, openmpt123 --render (44.1 kHz, linear interpolation)"
