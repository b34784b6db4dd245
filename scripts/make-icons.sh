#!/bin/bash
# Remakes the hicolor icon sizes in data/icons/ from data/icon256.png (the
# 32 x 32 size is our drawn data/icon32.png). Needs ImageMagick's convert.
# The PNGs are committed; run this only after changing the icon.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/data/icons/hicolor"
for size in 16 22 24 32 48 64 128 256; do
  dir="$out/${size}x${size}/apps"
  mkdir -p "$dir"
  case $size in
    256) src="$root/data/icon256.png" ;;
    32) src="$root/data/icon32.png" ;;
    *) src="" ;;
  esac
  if [ -n "$src" ]; then
    convert "$src" -strip -define png:exclude-chunks=date,time "PNG32:$dir/org.corvalle.Mp3Player.png"
  else
    convert "$root/data/icon256.png" -filter Lanczos -resize "${size}x${size}" -strip \
      -define png:exclude-chunks=date,time "PNG32:$dir/org.corvalle.Mp3Player.png"
  fi
done
