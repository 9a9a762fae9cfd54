#!/usr/bin/env bash
# Draws the program's icon - a steaming cup of tea on a round green badge - and writes
# kivTool.ico with 16, 32 and 48 pixel images. Needs ImageMagick. Run it from anywhere;
# the result is committed, so the build does not need ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One drawing on a 192 x 192 canvas; each size is scaled down from it.
convert -size 192x192 xc:none \
  -fill '#2e8b57' -stroke '#1d5c39' -strokewidth 6 -draw 'circle 96,96 96,6' \
  -fill none -stroke '#ffffff' -strokewidth 7 \
    -draw 'path "M 78,58 C 66,46 90,38 78,24"' \
    -draw 'path "M 104,58 C 92,46 116,38 104,24"' \
  -fill '#ffffff' -stroke '#ffffff' -strokewidth 2 -draw 'roundrectangle 46,70 136,140 14,14' \
  -fill none -stroke '#ffffff' -strokewidth 12 -draw 'ellipse 140,100 18,20 -90,90' \
  -fill '#ffffff' -stroke none -draw 'ellipse 92,148 62,10 0,360' \
  -fill '#8b5a2b' -stroke none -draw 'roundrectangle 54,76 128,88 5,5' \
  "$work/big.png"

for s in 48 32 16; do
  convert "$work/big.png" -filter Lanczos -resize ${s}x${s} -define png:color-type=6 "$work/icon$s.png"
done
# Uncompressed (BMP) images: a PNG image makes Wine load its image codecs, which takes seconds.
convert "$work/icon16.png" "$work/icon32.png" "$work/icon48.png" -compress None "$here/kivTool.ico"
