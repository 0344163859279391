#!/usr/bin/env bash
# Renders the program icon desktop/icons/jp.kw.zorvan.svg into the PNG sizes the install puts
# into the hicolor theme and the program embeds as its window icon (needs rsvg-convert from
# librsvg2-bin). The PNGs are kept in the repository; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/../desktop/icons"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" jp.kw.zorvan.svg -o "$size.png"
done
