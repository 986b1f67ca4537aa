#!/usr/bin/env bash
# Renders the PNG icons in icons/ from org.skarvel.Skarvel.svg (Debian package
# librsvg2-bin). The PNGs are committed; the build does not need the renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" org.skarvel.Skarvel.svg -o "icons/org.skarvel.Skarvel-$size.png"
done
