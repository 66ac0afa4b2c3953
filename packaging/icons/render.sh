#!/usr/bin/env bash
# Renders the committed icon files from brisendale.svg after the picture has
# changed, so that the build itself needs no renderer. Needs librsvg2-bin and
# imagemagick.
# Usage: packaging/icons/render.sh
set -euo pipefail
cd "$(dirname "$0")"

for size in 16 32 48 128; do
    rsvg-convert -w "$size" -h "$size" brisendale.svg -o "brisendale-$size.png"
done

# Windows icon: 32x32 and 16x16 in 16 colours. Such images carry only a
# one-bit mask, so the soft edge is cut at half opacity first.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 32 16; do
    convert "brisendale-$size.png" -channel A -threshold 50% +channel -colors 16 "$tmp/$size.png"
done
convert "$tmp/32.png" "$tmp/16.png" -colors 16 ../windows/brisendale.ico
