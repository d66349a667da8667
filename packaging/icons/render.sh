#!/usr/bin/env bash
# Renders the program's icon into the PNG sizes of the hicolor theme. Run after
# changing the SVG and commit the PNGs; needs rsvg-convert (Debian librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" jp.varnel.Mivora.svg -o "jp.varnel.Mivora-$size.png"
done
