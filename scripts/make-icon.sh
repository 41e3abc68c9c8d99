#!/bin/sh
# Makes the program's icon files from its drawing (src/app/windows/kerma740.mvg) with ImageMagick:
# kerma740.ico for the Windows executables and the Start menu, PNGs for the windows' icon. The
# results are committed; run this after changing the drawing.
set -e
DIR="$(cd "$(dirname "$0")/../src/app/windows" && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
# Debian's ImageMagick policy forbids reading the drawing as a file (@file, mvg:), so it is
# handed over as text; the comment lines go first.
convert -size 256x256 xc:none -draw "$(grep -v '^#' "$DIR/kerma740.mvg")" "$WORK/256.png"
PNG="-strip -define png:exclude-chunks=date,time"
for size in 16 24 32 48 64; do
    convert "$WORK/256.png" -resize "${size}x${size}" $PNG "PNG32:$WORK/$size.png"
done
convert "$WORK/256.png" $PNG "PNG32:$WORK/256.png"
for size in 16 32 48 256; do cp "$WORK/$size.png" "$DIR/kerma740-$size.png"; done
convert "$WORK/16.png" "$WORK/24.png" "$WORK/32.png" "$WORK/48.png" "$WORK/64.png" "$WORK/256.png" \
    "$DIR/kerma740.ico"
echo "Значок: $DIR/kerma740.ico"
