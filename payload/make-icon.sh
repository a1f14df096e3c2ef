#!/bin/sh
# Draws the product's document icon (16, 32 and 48 pixels) with ImageMagick.
# Usage: make-icon.sh OUTPUT.ico
set -e
out="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
for size in 16 32 48; do
  m=$((size / 8))
  convert -size ${size}x${size} xc:none \
    -fill '#2f6fb3' -stroke '#173a60' -draw "roundrectangle $m,$m $((size - m - 1)),$((size - m - 1)) $m,$m" \
    -fill '#f4c430' -stroke none -draw "circle $((size / 2)),$((size / 2)) $((size / 2)),$((size / 2 + size / 5))" \
    "PNG32:$tmp/icon$size.png"
done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" "$out"
