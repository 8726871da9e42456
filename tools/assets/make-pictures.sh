#!/usr/bin/env bash
# Regenerates resources/pic/: draws every picture with a small Qt program,
# then turns the animation frames into GIFs and the icon sizes into Icon.ico
# with ImageMagick, and writes the package's SVG icons into packaging/icons/.
# Run from anywhere; commit the results.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out="$root/resources/pic"
work=$(mktemp -d "${TMPDIR:-/tmp}/voxbench-pictures.XXXXXX")
trap 'rm -rf "$work"' EXIT

g++ -std=c++17 -O1 -fPIC -I"$root" -o "$work/PictureMaker" "$here/PictureMaker.cpp" "$root/ui/DeviceBackdrop.cpp" \
    $(pkg-config --cflags --libs Qt5Widgets)
QT_QPA_PLATFORM=offscreen "$work/PictureMaker" "$work/draw"

mkdir -p "$out/control" "$out/png" "$out/gif" "$out/headset"
cp "$work"/draw/control/* "$out/control/"
cp "$work"/draw/png/* "$out/png/"
cp "$work"/draw/headset/* "$out/headset/"
cp "$work"/draw/test1.png "$out/"

# GIF keeps one bit of transparency: blend the soft edges onto the navy
# backdrop the pictures sit on, then cut at half opacity.
navy='rgb(10,6,30)'
for name in PersonHead1 HornLeftUp HornUp HornRightUp HornRight HornRightBottom HornLeftBottom Hornleft; do
    frames=("$work"/draw/frames/"$name"-*.png)
    for f in "${frames[@]}"; do
        convert \( "$f" -background "$navy" -flatten \) \( "$f" -alpha extract -threshold 35% \) \
            -alpha off -compose CopyOpacity -composite "$f.matte.png"
    done
    convert -delay 9 -loop 0 -dispose Background "$work"/draw/frames/"$name"-*.png.matte.png \
        -layers OptimizeTransparency +map "$out/gif/$name.gif"
done

convert "$work"/draw/frames/icon-*.png "$out/Icon.ico"

# The icon theme's scalable and symbolic icons of the package.
icons="$root/packaging/icons"
cp "$work/draw/svg/scalable.svg" "$icons/io.github.voxbench.VoxBench.svg"
cp "$work/draw/svg/symbolic.svg" "$icons/io.github.voxbench.VoxBench-symbolic.svg"

# Lossless squeeze of the PNGs.
for f in "$out"/*.png "$out"/*/*.png; do
    convert "$f" -strip -define png:compression-level=9 "$f"
done
