#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the PNG icons from the two drawings: quillet-small.svg is drawn on a 16 px grid for the
# smallest size, quillet.svg serves every larger one. Needs ImageMagick (convert).
set -e
cd "$(dirname "$0")"
convert -background none quillet-small.svg -strip PNG32:quillet-16.png
for size in 32 48; do
    # Rasterise at four times the size, then scale down, for smooth edges.
    convert -background none -density $((96 * size / 12)) quillet.svg -resize ${size}x${size} \
        -strip PNG32:quillet-$size.png
done
