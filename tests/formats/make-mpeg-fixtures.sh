#!/usr/bin/env bash
# Makes the MPEG and WAV files the format tests read, with Debian's lame, ffmpeg
# and sox, into the folder given, and writes truth.txt beside them: one line per
# file with its duration in seconds as ffprobe measures it (for MPEG files, the
# sum of the decoded frames' durations).
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
mp3() { local name=$1; shift; lame --quiet "$@" source.wav "$name"; }

ff -f lavfi -i "sine=frequency=440:duration=3:sample_rate=44100" -ac 2 source.wav

mp3 cbr128.mp3 -b 128
mp3 vbr_standard.mp3 --preset standard
mp3 no_tag_frame.mp3 -b 128 -t
mp3 mono.mp3 -m m -b 64
mp3 mpeg2_22k.mp3 --resample 22.05 -b 64
mp3 mpeg25_8k.mp3 --resample 8 -b 16
mp3 id3_tagged.mp3 -b 128 --add-id3v2 --tt "Fixture Title" --ta "Fixture Artist" --tl "Fixture Album"

# A LIST chunk before the data (ffmpeg names itself in one).
ff -i source.wav -t 1 -c:a pcm_s16le list_chunk.wav
# Float samples: ffmpeg writes an extensible format with "fact" and "LIST"
# chunks, sox the plain float tag with an 18-byte format chunk and "fact".
ff -i source.wav -t 1 -c:a pcm_f32le float_extensible.wav
sox -n -r 44100 -c 2 -e floating-point -b 32 float_plain.wav synth 1 sine 440
ff -f lavfi -i "sine=frequency=440:duration=1:sample_rate=48000" -ac 6 six_channels.wav

truth=truth.txt.part
: > "$truth"
for f in *.mp3; do
  ffprobe -v error -select_streams a:0 -show_entries packet=duration_time -of csv=p=0 "$f" |
    awk -v f="$f" '$1 != "" { s += $1 } END { printf "%s %.6f\n", f, s }' >> "$truth"
done
for f in list_chunk.wav float_extensible.wav float_plain.wav six_channels.wav; do
  printf '%s %s\n' "$f" "$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$f")" >> "$truth"
done
mv "$truth" truth.txt
