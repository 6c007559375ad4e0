#!/usr/bin/env bash
# Draws the program icon (32x32, 32-bit with alpha): a teal disc with a white
# play triangle. Writes an .ico file to $1. Pure bash, so the build needs no
# image tools.
set -euo pipefail
out=$1
size=32

hex() { printf '\\x%02x' $(( $1 & 255 )); }
le16() { hex "$1"; hex $(( $1 >> 8 )); }
le32() { le16 "$1"; le16 $(( $1 >> 16 )); }

pixels=""
# Rows are stored bottom-up.
for (( y = size - 1; y >= 0; y-- )); do
  for (( x = 0; x < size; x++ )); do
    dx=$(( 2 * x + 1 - size )); dy=$(( 2 * y + 1 - size ))
    d2=$(( dx * dx + dy * dy ))
    r2=$(( (size - 2) * (size - 2) ))
    if (( d2 > r2 )); then
      pixels+=$(hex 0)$(hex 0)$(hex 0)$(hex 0)
      continue
    fi
    # A triangle pointing right: x from 11 to 23, narrowing toward the tip.
    tx=$(( x - 11 )); half=$(( (12 - tx) * 9 / 12 ))
    if (( tx >= 0 && tx <= 12 && y >= 15 - half && y <= 16 + half )); then
      pixels+=$(hex 255)$(hex 255)$(hex 255)$(hex 255)
    else
      shade=$(( 40 + y * 4 ))
      pixels+=$(hex $(( 120 + shade / 2 )))$(hex $(( 90 + shade )))$(hex 20)$(hex 255)
    fi
  done
done
mask=""
for (( i = 0; i < size * size / 8; i++ )); do mask+=$(hex 0); done

image_size=$(( 40 + size * size * 4 + size * size / 8 ))
header=$(le16 0)$(le16 1)$(le16 1)
entry=$(hex $size)$(hex $size)$(hex 0)$(hex 0)$(le16 1)$(le16 32)$(le32 $image_size)$(le32 22)
bih=$(le32 40)$(le32 $size)$(le32 $(( size * 2 )))$(le16 1)$(le16 32)$(le32 0)$(le32 0)$(le32 0)$(le32 0)$(le32 0)$(le32 0)
printf "$header$entry$bih$pixels$mask" > "$out"
