#!/usr/bin/env bash
# Makes the compressed test files of bass_tests with Debian's native tools,
# and the native decoders' output the tests compare ours with:
#   tone.wav         3 s of 44.1 kHz stereo: 440 Hz left, 1000 Hz right
#   tone.mp3/.mp2    lame / ffmpeg from it; *_ref.wav: `mpg123 -w` of each
#   tagged.mp3       with ID3v1 and ID3v2 tags
#   tone.ogg         oggenc with comments; tone_ogg_ref.wav: oggdec of it
#   tone.wma         ffmpeg wmav2 with a title
#   pages20k.ogg     6 s of noise by ffmpeg's muxer in pages of about 20 KB,
#   pages60k.ogg     and of about 60 KB (the largest a page can be is 65,307)
#   chained.ogg      tone.ogg three times as links of one stream, each with
#                    its own serial number and title ("Song 1" to "Song 3");
#                    the second link's headers carry 20 KB of cover art
# Usage: make_codec_fixtures.sh <output folder>
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
rm -f .complete

# -R: sox dithers down to 16 bits with fresh random numbers on each run unless
# told otherwise, and every fixture below is made from this one; the same
# bytes on every machine keep the mutants of the hostile tests the same.
sox -q -R -n -r 44100 -c 2 -b 16 tone.wav synth 3 sine 440 sine 1000 gain -6
lame --quiet -b 128 tone.wav tone.mp3
mpg123 -q -w tone_mp3_ref.wav tone.mp3
ffmpeg -v error -y -i tone.wav -c:a mp2 -b:a 192k tone.mp2
mpg123 -q -w tone_mp2_ref.wav tone.mp2
lame --quiet -b 64 --add-id3v2 --tt "Tagged Title" --ta "Tagged Artist" --tl "Tagged Album" \
  tone.wav tagged.mp3
oggenc -Q -q 4 -s 1 -t "Ogg Title" -a "Ogg Artist" -c "COMMENT=ünïcode" -o tone.ogg tone.wav
oggdec -Q -o tone_ogg_ref.wav tone.ogg
ffmpeg -v error -y -i tone.wav -c:a wmav2 -b:a 128k -metadata title="WMA Title" \
  -metadata artist="WMA Artist" tone.wma
sox -q -R -n -r 44100 -c 2 -b 16 noise.wav synth 6 whitenoise gain -6
for size in 20 60; do
  ffmpeg -v error -y -i noise.wav -c:a libvorbis -q:a 6 -fflags +bitexact -page_duration 100000000 \
    -oggpagesize ${size}000 pages${size}k.ogg
done
rm noise.wav
for n in 1 2 3; do
  cover=()
  if [ $n = 2 ]; then cover=(-c "COVERART=$(head -c 15000 /dev/zero | base64 -w0)"); fi
  oggenc -Q -q 4 -s $n -c "TITLE=Song $n" -c "ARTIST=Chain Artist" "${cover[@]}" -o link$n.ogg tone.wav
done
cat link1.ogg link2.ogg link3.ogg > chained.ogg
rm link1.ogg link2.ogg link3.ogg
touch .complete
