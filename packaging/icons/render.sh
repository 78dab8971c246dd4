#!/usr/bin/env bash
# Renders orvane.svg as the PNG icons of the hicolor theme (48, 128 and 256
# pixels). Run it after changing the drawing and commit the pictures; it
# needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 128 256; do
  rsvg-convert -w "$size" -h "$size" -o "orvane-$size.png" orvane.svg
done
