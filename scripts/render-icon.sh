#!/usr/bin/env bash
# Renders the Sheetwright icon: a teal tile holding a small white sheet whose
# header row is painted amber, the way a template lends its look to a sheet.
# Writes the compiled-in .ico (128, 48, 32, 16 px) and the hicolor PNGs.
# Needs ImageMagick 6 (convert). Run from anywhere; outputs are committed.
set -euo pipefail
cd "$(dirname "$0")/.."

out_ico=src/app/resources/images/orv.ico
out_png=src/app/icons
master=$(mktemp --suffix=.png)
trap 'rm -f "$master"' EXIT

# Drawn once at 256 px; every smaller size is a downscale of this master.
convert -size 256x256 xc:none \
    -fill '#17695e' -draw 'roundrectangle 8,8 247,247 44,44' \
    -fill '#ffffff' -draw 'roundrectangle 48,40 208,216 14,14' \
    -fill '#f2a93b' -draw 'roundrectangle 48,40 208,92 14,14' \
    -fill '#f2a93b' -draw 'rectangle 48,70 208,92' \
    -fill '#b9e2da' -draw 'rectangle 104,136 152,172' \
    -stroke '#17695e' -strokewidth 6 -fill none \
    -draw 'line 104,92 104,216' -draw 'line 152,92 152,216' \
    -draw 'line 48,136 208,136' -draw 'line 48,176 208,176' \
    -stroke '#17695e' -strokewidth 8 -fill none \
    -draw 'roundrectangle 48,40 208,216 14,14' \
    "$master"

mkdir -p "$(dirname "$out_ico")"
for size in 256 128 48 32 16; do
    mkdir -p "$out_png/${size}x${size}"
    convert "$master" -filter Lanczos -resize "${size}x${size}" \
        -define png:color-type=6 "$out_png/${size}x${size}/sheetwright.png"
done

# Largest image first, as the resource has always listed them.
convert "$out_png/128x128/sheetwright.png" "$out_png/48x48/sheetwright.png" \
    "$out_png/32x32/sheetwright.png" "$out_png/16x16/sheetwright.png" "$out_ico"
