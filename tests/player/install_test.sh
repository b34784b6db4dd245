#!/bin/bash
# shellcheck disable=SC2015  # "test && pass || fail": pass never fails
# cmake --install puts the program, its launcher, the .desktop file, the
# AppStream metainfo, the manual page and the icons in the XDG places under the
# prefix; the desktop file and the metainfo validate; the launcher starts the
# program in its data folder (temporary HOME) and passes its arguments on.
set -euo pipefail
build="$1"
passed=0
failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
pass() { passed=$((passed + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

# --- layout ---------------------------------------------------------------
desktop="$prefix/share/applications/org.corvalle.Mp3Player.desktop"
metainfo="$prefix/share/metainfo/org.corvalle.Mp3Player.metainfo.xml"
missing=0
for f in bin/corvalle-mp3-player bin/corvalle-mp3-player-launcher \
         share/applications/org.corvalle.Mp3Player.desktop \
         share/metainfo/org.corvalle.Mp3Player.metainfo.xml \
         share/man/man1/corvalle-mp3-player.1.gz \
         share/man/man1/corvalle-mp3-player-launcher.1.gz \
         share/doc/corvalle-mp3-player/copyright; do
  [ -e "$prefix/$f" ] || { fail "missing: $f"; missing=1; }
done
for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/org.corvalle.Mp3Player.png"
  if [ ! -e "$icon" ]; then
    fail "missing icon $size"; missing=1
  elif ! file "$icon" | grep -q "PNG image data, $size x $size,"; then
    fail "icon $size is $(file -b "$icon")"; missing=1
  fi
done
[ -x "$prefix/bin/corvalle-mp3-player-launcher" ] || { fail "launcher not executable"; missing=1; }
[ "$missing" = 0 ] && pass
# Nothing in the tree's data is left behind under an old name.
[ ! -e "$prefix/share/applications/corvalle-mp3-player.desktop" ] && pass || fail "old desktop file installed"

# --- desktop entry and metainfo --------------------------------------------
if [ -e "$desktop" ]; then
  if out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ]; then pass; else fail "desktop-file-validate: $out"; fi
  for line in 'Categories=AudioVideo;Audio;Player;' \
              'MimeType=audio/mpeg;audio/x-mpegurl;audio/mpegurl;application/vnd.apple.mpegurl;audio/x-scpls;' \
              'Exec=corvalle-mp3-player-launcher %F' 'Icon=org.corvalle.Mp3Player'; do
    grep -qxF "$line" "$desktop" && pass || fail "desktop entry lacks $line"
  done
fi
if [ -e "$metainfo" ]; then
  if out=$(appstreamcli validate --no-net "$metainfo" 2>&1); then pass; else fail "appstreamcli validate: $out"; fi
  # The metainfo names the installed desktop entry, and the id matches its name.
  grep -qF '<launchable type="desktop-id">org.corvalle.Mp3Player.desktop</launchable>' "$metainfo" && pass \
    || fail "metainfo does not launch org.corvalle.Mp3Player.desktop"
  grep -qF '<id>org.corvalle.Mp3Player</id>' "$metainfo" && pass || fail "metainfo id"
  grep -qF '<mediatype>audio/x-mpegurl</mediatype>' "$metainfo" && pass || fail "metainfo lacks the playlist types"
fi

# --- the launcher's folder rules ----------------------------------------------
# The installed launcher is run beside a stand-in program that records the
# folder it was started in, its arguments, and what that folder held.
fake="$work/fakebin"; mkdir -p "$fake"
cp "$prefix/bin/corvalle-mp3-player-launcher" "$fake/"
cat > "$fake/corvalle-mp3-player" <<'EOF'
#!/bin/sh
pwd > "$RECORD/started-in"
: > "$RECORD/args"
for a; do printf '%s\n' "$a" >> "$RECORD/args"; done
EOF
chmod +x "$fake/corvalle-mp3-player"
export RECORD="$work/record"; mkdir -p "$RECORD"

# run_launcher HOME [VAR=value ...] -- ARGS: starts the launcher from /tmp.
run_launcher() {
  local home="$1"; shift
  local envs=()
  while [ "$1" != "--" ]; do envs+=("$1"); shift; done
  shift
  rm -f "$RECORD/started-in" "$RECORD/args"
  (cd /tmp && env -u XDG_DATA_HOME HOME="$home" "${envs[@]}" "$fake/corvalle-mp3-player-launcher" "$@") \
    2>"$RECORD/stderr" || true
}
started_in() { cat "$RECORD/started-in" 2>/dev/null; }

# First start, no XDG_DATA_HOME: ~/.local/share/corvalle-mp3-player is made
# (private to the user) and the program starts there; relative file names
# become full paths, absolute ones and odd characters are kept.
home="$work/home1"; mkdir -p "$home"
run_launcher "$home" -- "a song.mp3" /abs/b.mp3 "sub/c'd.mp3"
[ "$(started_in)" = "$home/.local/share/corvalle-mp3-player" ] && pass || fail "default folder: started in $(started_in)"
[ "$(stat -c %a "$home/.local/share/corvalle-mp3-player")" = 700 ] && pass || fail "data folder mode $(stat -c %a "$home/.local/share/corvalle-mp3-player")"
[ "$(cat "$RECORD/args")" = "$(printf "/tmp/a song.mp3\n/abs/b.mp3\n/tmp/sub/c'd.mp3")" ] && pass || fail "arguments: $(cat "$RECORD/args")"
# No arguments stay no arguments.
run_launcher "$home" --
[ ! -s "$RECORD/args" ] && pass || fail "no arguments became: $(cat "$RECORD/args")"

# XDG_DATA_HOME is used when absolute, made if missing; an empty or relative
# one means the default.
home="$work/home2"; mkdir -p "$home"
run_launcher "$home" XDG_DATA_HOME="$work/xdg/data" --
[ "$(started_in)" = "$work/xdg/data/corvalle-mp3-player" ] && pass || fail "XDG_DATA_HOME: started in $(started_in)"
run_launcher "$home" XDG_DATA_HOME= --
[ "$(started_in)" = "$home/.local/share/corvalle-mp3-player" ] && pass || fail "empty XDG_DATA_HOME: started in $(started_in)"
run_launcher "$home" XDG_DATA_HOME=rel/data --
[ "$(started_in)" = "$home/.local/share/corvalle-mp3-player" ] && pass || fail "relative XDG_DATA_HOME: started in $(started_in)"
[ ! -e /tmp/rel/data/corvalle-mp3-player ] && [ ! -e "$home/rel" ] && pass || fail "a relative XDG_DATA_HOME was made"

# The pair of files of an earlier version is moved on the first start, with
# its bytes; the home folder no longer holds them.
home="$work/home3"; mkdir -p "$home"
printf '/m/one.mp3\r\n/m/two.mp3\r\n' > "$home/FileListing.dat"
printf '/pics/theme.jpg\r\n' > "$home/Settings.dat"
run_launcher "$home" --
dir="$home/.local/share/corvalle-mp3-player"
[ "$(started_in)" = "$dir" ] && pass || fail "migration: started in $(started_in)"
cmp -s "$dir/FileListing.dat" <(printf '/m/one.mp3\r\n/m/two.mp3\r\n') && pass || fail "FileListing.dat not moved whole"
cmp -s "$dir/Settings.dat" <(printf '/pics/theme.jpg\r\n') && pass || fail "Settings.dat not moved whole"
[ ! -e "$home/FileListing.dat" ] && [ ! -e "$home/Settings.dat" ] && pass || fail "old files still in the home folder"
# Once only: files that turn up in the home folder later stay where they are,
# and the files in the data folder are not touched.
printf 'later\r\n' > "$home/FileListing.dat"
run_launcher "$home" --
[ "$(cat "$home/FileListing.dat")" = "$(printf 'later\r')" ] && pass || fail "a later home file was moved"
cmp -s "$dir/FileListing.dat" <(printf '/m/one.mp3\r\n/m/two.mp3\r\n') && pass || fail "data folder playlist changed on a later start"

# A data folder that already exists is never written over.
home="$work/home4"; dir="$home/.local/share/corvalle-mp3-player"; mkdir -p "$dir"
printf 'new\r\n' > "$dir/Settings.dat"
printf 'old list\r\n' > "$home/FileListing.dat"; printf 'old\r\n' > "$home/Settings.dat"
run_launcher "$home" --
[ "$(cat "$dir/Settings.dat")" = "$(printf 'new\r')" ] && pass || fail "existing Settings.dat overwritten"
[ -e "$home/FileListing.dat" ] && [ -e "$home/Settings.dat" ] && pass || fail "files moved into an existing data folder"

# Only one of the pair, and a playlist that is a relative symbolic link: the
# link still leads to the same file after the move.
home="$work/home5"; mkdir -p "$home/lists"
printf '/m/x.mp3\r\n' > "$home/lists/mine.dat"
ln -s lists/mine.dat "$home/FileListing.dat"
run_launcher "$home" --
dir="$home/.local/share/corvalle-mp3-player"
[ -L "$dir/FileListing.dat" ] && cmp -s "$dir/FileListing.dat" "$home/lists/mine.dat" && pass \
  || fail "relative link not carried over: $(ls -l "$dir" 2>&1)"
[ ! -e "$home/FileListing.dat" ] && [ ! -L "$home/FileListing.dat" ] && pass || fail "old link left in the home folder"
[ ! -e "$dir/Settings.dat" ] && pass || fail "a Settings.dat appeared"

# A data folder that cannot be made: the program still starts, in the home
# folder, and the launcher says why.
home="$work/home6"; mkdir -p "$home/.local"; : > "$home/.local/share"
run_launcher "$home" -- x.mp3
[ "$(started_in)" = "$home" ] && pass || fail "unmakeable folder: started in $(started_in)"
grep -q "cannot make" "$RECORD/stderr" && pass || fail "no message for an unmakeable folder"

# Started by a relative path (./corvalle-mp3-player-launcher), the launcher
# still finds the program beside it after changing folder.
home="$work/home7"; mkdir -p "$home"
rm -f "$RECORD/started-in"
(cd "$fake" && env -u XDG_DATA_HOME HOME="$home" ./corvalle-mp3-player-launcher song.mp3) || true
[ "$(started_in)" = "$home/.local/share/corvalle-mp3-player" ] && [ "$(cat "$RECORD/args")" = "$fake/song.mp3" ] && pass \
  || fail "relative launcher path: started in $(started_in), args $(cat "$RECORD/args" 2>/dev/null)"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
