#!/bin/bash
# Makes the Debian package with `cpack -G DEB`, prints its fields, checks
# what it holds and runs lintian over it: any error (an "E:" line) fails.
#   scripts/package.sh          builds the player in Release (build-release)
#                               and leaves the package there
#   scripts/package.sh DIR      packages the configured build folder DIR
#                               (scripts/test.sh uses its test build)
# Needs the packages of `scripts/install-deps.sh --tests` (dpkg-dev, file,
# lintian); CORVALLE_INSTALL_DEPS=0 skips installing them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${CORVALLE_INSTALL_DEPS:-1}" != "0" ]; then
  "$root/scripts/install-deps.sh" --tests
fi
if [ $# -ge 1 ]; then
  build="$(cd "$1" && pwd)"
else
  build="$root/build-release"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCORVALLE_BUILD_TESTS=OFF -DCORVALLE_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/corvalle-mp3-player_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/corvalle-mp3-player_*_amd64.deb)
deb="${debs[0]}"
[ -f "$deb" ] || { echo "package.sh: cpack made no corvalle-mp3-player_*_amd64.deb" >&2; exit 1; }
echo "== $deb =="
dpkg-deb --field "$deb" Package Version Architecture Maintainer Depends Recommends
# The package holds what the desktop needs.
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for f in ./usr/bin/corvalle-mp3-player ./usr/bin/corvalle-mp3-player-launcher \
         ./usr/share/applications/org.corvalle.Mp3Player.desktop \
         ./usr/share/metainfo/org.corvalle.Mp3Player.metainfo.xml \
         ./usr/share/icons/hicolor/16x16/apps/org.corvalle.Mp3Player.png \
         ./usr/share/icons/hicolor/256x256/apps/org.corvalle.Mp3Player.png \
         ./usr/share/doc/corvalle-mp3-player/copyright; do
  grep -qxF "$f" <<<"$contents" || { echo "package.sh: the package lacks $f" >&2; exit 1; }
done
# Depends must come from dpkg-shlibdeps: the Qt and decoder libraries the
# binary links.
depends=$(dpkg-deb --field "$deb" Depends)
for lib in libqt6widgets6 libmpg123-0 libasound2 libc6; do
  grep -q "\\b$lib\\b" <<<"$depends" || { echo "package.sh: Depends lacks $lib: $depends" >&2; exit 1; }
done
# Recommends: the ALSA plugins and Qt's Wayland platform.
recommends=$(dpkg-deb --field "$deb" Recommends)
for pkg in libasound2-plugins qt6-wayland; do
  grep -q "\b$pkg\b" <<<"$recommends" || { echo "package.sh: Recommends lacks $pkg: $recommends" >&2; exit 1; }
done
echo "== lintian =="
# Exits non-zero on any error tag (and when lintian itself fails).
if ! lintian --fail-on error --tag-display-limit 0 "$deb"; then
  echo "package.sh: lintian reports errors" >&2
  exit 1
fi
echo "lintian: no errors"
