#!/bin/bash
# cmake --install puts the program, its launcher, the .desktop file and the
# icons in the XDG places under the prefix, and the launcher file validates.
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/corvalle-mp3-player bin/corvalle-mp3-player-launcher \
         share/applications/corvalle-mp3-player.desktop \
         share/icons/hicolor/32x32/apps/corvalle-mp3-player.png \
         share/icons/hicolor/256x256/apps/corvalle-mp3-player.png; do
  [ -e "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
done
[ -x "$prefix/bin/corvalle-mp3-player-launcher" ] || { echo "launcher not executable"; exit 1; }
desktop-file-validate "$prefix/share/applications/corvalle-mp3-player.desktop"
grep -qx 'Categories=AudioVideo;Audio;Player;' "$prefix/share/applications/corvalle-mp3-player.desktop"
grep -qx 'MimeType=audio/mpeg;' "$prefix/share/applications/corvalle-mp3-player.desktop"
grep -qx 'Exec=corvalle-mp3-player-launcher %F' "$prefix/share/applications/corvalle-mp3-player.desktop"
# The launcher changes to the home folder before it starts the program, and
# passes the files it was given on as full paths.
fake="$prefix/fakebin"; mkdir -p "$fake"
cp "$prefix/bin/corvalle-mp3-player-launcher" "$fake/"
printf '#!/bin/sh\npwd > "%s/started-in"\nfor a; do echo "$a"; done > "%s/args"\n' "$prefix" "$prefix" > "$fake/corvalle-mp3-player"
chmod +x "$fake/corvalle-mp3-player"
home=$(mktemp -d)
(cd /tmp && HOME="$home" "$fake/corvalle-mp3-player-launcher" "a song.mp3" /abs/b.mp3)
[ "$(cat "$prefix/started-in")" = "$home" ] || { echo "launcher did not start in HOME"; exit 1; }
[ "$(cat "$prefix/args")" = "$(printf '/tmp/a song.mp3\n/abs/b.mp3')" ] || { echo "launcher passed: $(cat "$prefix/args")"; exit 1; }
rm -rf "$home"
echo "1 passed, 0 failed"
