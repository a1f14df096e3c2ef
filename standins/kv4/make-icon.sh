#!/bin/bash
# Draws the product icon (an earthworm on a green disc) with ImageMagick and
# writes it as an .ico with 48, 32 and 16 pixel images. The worm is drawn
# as line segments, since polylines and paths come out closed here.
# Usage: make-icon.sh <convert> <output.ico>
set -euo pipefail
CONVERT="$1"
OUT="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
"$CONVERT" -size 96x96 xc:none \
  -fill '#2e7d32' -stroke '#1b5e20' -strokewidth 4 -draw 'circle 48,48 48,4' \
  -fill none -stroke '#f8bbd0' -strokewidth 14 -draw 'line 22,68 26,50 line 26,50 34,36 line 34,36 46,28 line 46,28 60,30 line 60,30 70,40 line 70,40 74,50' \
  -stroke '#ec407a' -strokewidth 6 -draw 'line 22,68 26,50 line 26,50 34,36 line 34,36 46,28 line 46,28 60,30 line 60,30 70,40 line 70,40 74,50' \
  -fill '#212121' -stroke none -draw 'circle 75,50 75,46' \
  "PNG32:$WORK/icon.png"
for size in 48 32 16; do
  "$CONVERT" "$WORK/icon.png" -resize ${size}x${size} "PNG32:$WORK/icon-$size.png"
done
"$CONVERT" "$WORK/icon-48.png" "$WORK/icon-32.png" "$WORK/icon-16.png" "$OUT"
