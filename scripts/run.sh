#!/bin/bash
# Installs what is missing, builds the player in Release and starts it in the
# current directory (where "FileListing.dat" and "Settings.dat" live).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DCORVALLE_BUILD_TESTS=OFF -DCORVALLE_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build-release" --target corvalle-mp3-player -j"$(nproc)"
exec "$root/build-release/player/corvalle-mp3-player" "$@"
