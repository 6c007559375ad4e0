#!/usr/bin/env bash
# An ID3v1 save on a full disk: an MP3 with a Lyrics3 block and an ID3v1 tag
# on a small file system of its own, filled to the last block, takes a title
# of 100 characters through tag_write.exe (our writer under Wine). The save
# must fail and leave the file byte for byte as it was, with no temporary file
# beside it; once there is room again, the same save succeeds.
# Mounting needs root; elsewhere the check is skipped (exit 77).
# Usage: full-disk-check.sh WINE_RUN TAG_WRITE_EXE
set -uo pipefail
wine_run=$1 tool=$2
passed=0 failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAILED: $*"; }
wine_path() { local p=$1; echo "Z:${p//\//\\}"; }

disk=$(mktemp -d) work=$(mktemp -d)
cleanup() { umount "$disk" 2>/dev/null; rmdir "$disk"; rm -rf "$work"; }
trap cleanup EXIT
if [[ $(id -u) != 0 ]] || ! mount -t tmpfs -o size=256k,mode=0777 tmpfs "$disk" 2>/dev/null; then
  echo "skipped: a small file system cannot be mounted here"
  exit 77
fi

# The song ends exactly on a block boundary, so any growth needs a new block.
python3 - "$work/song.mp3" <<'EOF'
import sys
def field(id, data): return id + b"%05d" % len(data) + data
body = b"LYRICSBEGIN" + field(b"IND", b"10") + field(b"ETT", b"Old title") + field(b"LYR", b"la la la")
lyrics3 = body + b"%06d" % len(body) + b"LYRICS200"
v1 = b"TAG" + b"Old title".ljust(30, b"\0") + b"Band".ljust(30, b"\0") + b"\0" * 30 + b"1999" + b"\0" * 30 + b"\x11"
frame = b"\xff\xfb\x90\x64" + b"\0" * 413
audio = frame * 20
audio += b"\0" * (-(len(audio) + len(lyrics3) + len(v1)) % 4096)
open(sys.argv[1], "wb").write(audio + lyrics3 + v1)
EOF
cp "$work/song.mp3" "$disk/song.mp3"
dd if=/dev/zero of="$disk/filler" bs=4096 2>/dev/null
title=$(printf 'T%.0s' {1..100})

if "$wine_run" "$tool" id3v1 "$(wine_path "$disk/song.mp3")" "Title=$title" 2>/dev/null; then
  fail "the save on a full disk reported success"
else
  pass
fi
cmp -s "$work/song.mp3" "$disk/song.mp3" && pass || fail "the failed save changed the file"
left=$(ls -A "$disk" | sort | tr '\n' ' ')
[[ $left == "filler song.mp3 " ]] && pass || fail "the failed save left files behind: $left"

rm "$disk/filler"
if "$wine_run" "$tool" id3v1 "$(wine_path "$disk/song.mp3")" "Title=$title"; then
  grep -q "ETT00100$title" "$disk/song.mp3" && pass || fail "the save with room did not write the title"
else
  fail "the save with room failed"
fi

echo "$passed passed, $failed failed"
[[ $failed == 0 ]]
