#!/usr/bin/env bash
# Renders every SVG picture of an HTML page to PNG with rsvg-convert, which fails on a picture it cannot draw.
# Usage: render_svgs.sh PAGE.html OUT_DIR   (writes OUT_DIR/1.png, 2.png...)
set -euo pipefail
page=$1
out=$2
mkdir -p "$out"
count=0
# Each picture starts with "<svg" and ends with "</svg>" on the same line, as sbhost report writes them.
while IFS= read -r svg; do
  count=$((count + 1))
  printf '%s\n' "$svg" >"$out/$count.svg"
  rsvg-convert "$out/$count.svg" -o "$out/$count.png"
done < <(grep -o '<svg.*</svg>' "$page")
[ "$count" -gt 0 ] || { echo "no picture in $page"; exit 1; }
echo "$count pictures rendered to $out"
