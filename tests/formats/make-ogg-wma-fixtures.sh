#!/usr/bin/env bash
# Makes the Ogg Vorbis and WMA files the tag tests read and write, with Debian's
# oggenc and ffmpeg, into the folder given.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
# A fixed stream serial: oggenc picks a random one otherwise, and the hostile
# tests' mutants of these files must be the same bytes on every machine.
ogg() { local name=$1; shift; oggenc --quiet -s 1 "$@" -o "$name"; }
repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }

ff -f lavfi -i "sine=frequency=440:duration=3:sample_rate=44100" -ac 2 -fflags +bitexact -map_metadata -1 stereo.wav
ff -f lavfi -i "sine=frequency=440:duration=2:sample_rate=22050" -ac 1 -fflags +bitexact -map_metadata -1 mono.wav
ff -f lavfi -i "sine=frequency=440:duration=1:sample_rate=48000" -ac 6 -fflags +bitexact -map_metadata -1 six.wav

# Everything the tag window shows, the replay-gain values and names it does not
# know, UTF-8 beyond Latin-1, and a value far longer than 250 bytes.
ogg tagged.ogg -q 2 stereo.wav \
  -c "TITLE=Ünïcödé Title" -c "ARTIST=日本の Artist" -c "ALBUM=Fixture Album" \
  -c "TRACKNUMBER=3/12" -c "DATE=2004" -c "GENRE=Ambient" -c "COMMENT=$(repeat c 1000)" \
  -c "REPLAYGAIN_TRACK_GAIN=-7.03 dB" -c "REPLAYGAIN_TRACK_PEAK=0.99" -c "ALBUMARTIST=Various" \
  -c "PERFORMER=Someone Else"
# Lower-case names, the fallback names, and a track number past one byte.
ogg fallback.ogg -q 0 mono.wav -c "title=Quiet" -c "performer=The Performer" \
  -c "description=The Description" -c "tracknumber=300"
ogg plain.ogg -q 2 stereo.wav
ogg six.ogg -q 2 six.wav -c "TITLE=Six"
# A comment packet that fills the second page almost to its 255 lacing values,
# and one too long for it, which continues onto the third page.
ogg nearly_full.ogg -q 2 stereo.wav -c "TITLE=x" -c "BIG=$(repeat a 60000)"
ogg spanning.ogg -q 2 stereo.wav -c "TITLE=Spanning" -c "BIG=$(repeat b 70000)"

wma() { local name=$1; shift; ff -i stereo.wav -c:a wmav2 -b:a 128k "$@" "$name"; }
# ffmpeg writes the title, artist, copyright and comment both into the content
# description and, under its own names, into the extended descriptors.
wma tagged.wma -metadata title="WMA Title" -metadata artist="WMA Artist" -metadata album="WMA Album" \
  -metadata genre="Jazz" -metadata track="7" -metadata comment="WMA Comment" \
  -metadata copyright="(c) Fixture" -metadata composer="WMA Composer" -metadata encoded_by="WMA Encoder" \
  -metadata "wm/year=1999" -metadata "WM/Lyrics=la la la" -metadata "WM/URL=http://example.invalid/" \
  -metadata "WMFSDKVersion=12.0.7601" -metadata "WM/Mood=Calm"
wma plain.wma -map_metadata -1 -fflags +bitexact

rm -f stereo.wav mono.wav six.wav
touch .complete
