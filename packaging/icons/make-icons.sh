#!/usr/bin/env bash
# Cuts the hicolor theme icons out of the window icon (resources/pic/Icon.ico,
# drawn by tools/assets/make-pictures.sh). Run after the icon changes; commit the PNGs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
ico="$here/../../resources/pic/Icon.ico"
# Frames of Icon.ico: 16, 24, 32, 48, 64 and 256 pixels.
frame=0
for size in 16 24 32 48 64 256; do
    convert "$ico[$frame]" -strip -define png:compression-level=9 "$here/voxbench-$size.png"
    frame=$((frame + 1))
done
# 128 for docks and launchers, scaled down from the largest frame.
convert "$ico[5]" -filter Lanczos -resize 128x128 -strip -define png:compression-level=9 "$here/voxbench-128.png"
