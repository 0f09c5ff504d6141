#!/usr/bin/env bash
# Renders the SVG drawings in svg/ to the PNGs the program compiles in (1x and 2x).
# Needs rsvg-convert (Debian: librsvg2-bin). Run after changing a drawing; commit the PNGs.
set -euo pipefail
cd "$(dirname "$0")"
render() { rsvg-convert -w "$2" -h "$3" "svg/$1.svg" -o "$4"; }
for size in 16 24 32 48 64 128 256; do
  render quillo "$size" "$size" "icons/quillo-$size.png"
done
render quillo 112 112 about-logo.png
render quillo 224 224 about-logo@2x.png
render splash 480 300 splash.png
render splash 960 600 splash@2x.png
for picture in about-modem about-phones; do
  render "$picture" 180 110 "$picture.png"
  render "$picture" 360 220 "$picture@2x.png"
done
