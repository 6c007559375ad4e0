#!/usr/bin/env bash
# Writes tags into copies of the Ogg Vorbis and WMA fixtures with tag_write.exe
# (our writers under Wine), then checks the files with Debian's own readers:
# ogginfo must find no fault, vorbiscomment and ffprobe must list the expected
# tags, and the decoded audio must be the same as before.
# Usage: native-tag-checks.sh WINE_RUN TAG_WRITE_EXE FIXTURE_FOLDER
set -uo pipefail
wine_run=$1 tool=$2 fixtures=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAILED: $*"; }
wine_path() { local p=$1; echo "Z:${p//\//\\}"; }
write_tags() { local mode=$1 file=$2; shift 2; "$wine_run" "$tool" "$mode" "$(wine_path "$file")" "$@"; }
audio_md5() { ffmpeg -nostdin -v error -i "$1" -map 0:a -f md5 - 2>&1; }
# Every expected line must be in the listing, and no forbidden one.
expect_lines() {
  local what=$1 listing=$2; shift 2
  for line in "$@"; do
    if [[ $line == !* ]]; then
      grep -qxF -- "${line#!}" <<<"$listing" && fail "$what still lists '${line#!}'" || pass
    else
      grep -qxF -- "$line" <<<"$listing" && pass || fail "$what lacks '$line'; it lists:"$'\n'"$listing"
    fi
  done
}
check_ogg() {
  local file=$1 info
  info=$(ogginfo "$file" 2>&1) || { fail "ogginfo rejects $file: $info"; return; }
  grep -qiE 'warning|error' <<<"$info" && fail "ogginfo complains about $file: $info" || pass
}

# Ogg: change three fields; every other comment, UTF-8 beyond the code page
# and PERFORMER (the artist did not change) included, stays as it was.
f=$work/tagged.ogg
cp "$fixtures/tagged.ogg" "$f"
before=$(audio_md5 "$f")
if write_tags ogg "$f" "Title=New Title" "Comment=Short comment" "Date="; then
  pass
  check_ogg "$f"
  expect_lines "vorbiscomment -l tagged.ogg" "$(vorbiscomment -l "$f")" \
    "TITLE=New Title" "COMMENT=Short comment" "ARTIST=日本の Artist" "ALBUM=Fixture Album" \
    "TRACKNUMBER=3/12" "GENRE=Ambient" "REPLAYGAIN_TRACK_GAIN=-7.03 dB" "REPLAYGAIN_TRACK_PEAK=0.99" \
    "ALBUMARTIST=Various" "!DATE=2004" "PERFORMER=Someone Else"
  [ "$(audio_md5 "$f")" = "$before" ] && pass || fail "tagged.ogg decodes differently after the save"
else
  fail "tag_write ogg tagged.ogg"
fi

# A second page filled up to a few lacing values of its limit.
f=$work/nearly_full.ogg
cp "$fixtures/nearly_full.ogg" "$f"
if write_tags ogg "$f" "Title=y" "Track=12"; then
  pass
  check_ogg "$f"
  expect_lines "vorbiscomment -l nearly_full.ogg" "$(vorbiscomment -l "$f")" "TITLE=y" "TRACKNUMBER=12"
else
  fail "tag_write ogg nearly_full.ogg"
fi

f=$work/fallback.ogg
cp "$fixtures/fallback.ogg" "$f"
if write_tags ogg-remove "$f"; then
  pass
  check_ogg "$f"
  listing=$(vorbiscomment -l "$f")
  [ -z "$listing" ] && pass || fail "fallback.ogg keeps comments after the removal: $listing"
else
  fail "tag_write ogg-remove fallback.ogg"
fi

# WMA: change, empty (deletes) and add attributes.
f=$work/tagged.wma
cp "$fixtures/tagged.wma" "$f"
before=$(audio_md5 "$f")
if write_tags wma "$f" "Title=New WMA Title" "Lyrics=" "Year=2005" "Composer=Someone Else"; then
  pass
  tags=$(ffprobe -v error -show_entries format_tags -of default=noprint_wrappers=1 "$f")
  expect_lines "ffprobe tagged.wma" "$tags" "TAG:title=New WMA Title" "TAG:artist=WMA Artist" \
    "TAG:album=WMA Album" "TAG:genre=Jazz" "TAG:composer=Someone Else" "TAG:WM/Mood=Calm" \
    "!TAG:lyrics=la la la" "!TAG:WM/Lyrics=la la la"
  grep -qE '^TAG:(date|WM/Year|wm/year)=2005$' <<<"$tags" && pass || fail "tagged.wma lacks the new year: $tags"
  [ "$(audio_md5 "$f")" = "$before" ] && pass || fail "tagged.wma decodes differently after the save"
else
  fail "tag_write wma tagged.wma"
fi

f=$work/plain.wma
cp "$fixtures/plain.wma" "$f"
if write_tags wma "$f" "Title=Added Title" "Author=Added Author" "AlbumTitle=Added Album"; then
  pass
  expect_lines "ffprobe plain.wma" "$(ffprobe -v error -show_entries format_tags -of default=noprint_wrappers=1 "$f")" \
    "TAG:title=Added Title" "TAG:artist=Added Author" "TAG:album=Added Album"
else
  fail "tag_write wma plain.wma"
fi

echo "native-checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
