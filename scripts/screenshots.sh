#!/bin/bash
# Remakes the README's pictures in data/screenshots/: the main window as a
# user sees it, with its title bar, and the folder search window beside the
# tag editor. The player (Release, build-release/) runs on a private X server
# (Xvfb) under Openbox, a small window manager that is installed here for the
# pictures only, beside a private sound server, with a playlist of a few
# silent MP3 files made by lame. Installs what is missing: the packages of
# `scripts/install-deps.sh --tests`, Openbox and ImageMagick (import, convert).
# SHOT_KEEP=1 keeps the work folders, SHOT_TRACE=1 traces the steps on the
# display. Uses /tmp/Music for the playlist and refuses to run if it exists.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [ "${1:-}" != "--on-display" ]; then
  "$root/scripts/install-deps.sh" --tests
  for p in openbox imagemagick; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      sudo_cmd=()
      if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
      DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$p"
    fi
  done
  build="$root/build-release"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCORVALLE_BUILD_TESTS=OFF -DCORVALLE_BUILD_BENCH=OFF >/dev/null
  cmake --build "$build" --target corvalle-mp3-player -j"$(nproc)"

  # The playlist's files sit in a short, readable folder of their own.
  work=/tmp/corvalle-screenshots
  music=/tmp/Music
  if [ -e "$music" ]; then
    echo "screenshots.sh: $music exists; the pictures show a folder of that name: move it away first" >&2
    exit 1
  fi
  rm -rf "$work"
  mkdir -p "$music" "$work/run"
  trap '[ -n "${SHOT_KEEP:-}" ] || rm -rf "$work" "$music"' EXIT
  make_song() {  # file title artist album year seconds
    head -c $((44100 * 4 * $6)) /dev/zero |
      lame --quiet -r -s 44.1 --bitwidth 16 -b 128 --id3v1-only \
        --tt "$2" --ta "$3" --tl "$4" --ty "$5" --tg Ambient - "$music/$1"
  }
  make_song "Evening Rain.mp3" "Evening Rain" "The Corvalle Quartet" "Harbour Lights" 2024 214
  make_song "Harbour Lights.mp3" "Harbour Lights" "The Corvalle Quartet" "Harbour Lights" 2024 187
  make_song "Northern Road.mp3" "Northern Road" "Mira Solberg" "Open Country" 2023 243
  make_song "Quiet Hours.mp3" "Quiet Hours" "Mira Solberg" "Open Country" 2023 198
  make_song "Summer Static.mp3" "Summer Static" "Low Tide Radio" "Summer Static" 2022 176
  for f in "$music"/*.mp3; do printf '%s\r\n' "$f"; done > "$work/run/FileListing.dat"

  mkdir -p "$root/data/screenshots"
  export SHOT_WORK="$work" SHOT_MUSIC="$music" SHOT_OUT="$root/data/screenshots" SHOT_PLAYER="$build/player/corvalle-mp3-player"
  # No session bus: the player opens its own window and is not reached by
  # any other session.
  env -u DBUS_SESSION_BUS_ADDRESS "$root/tests/with-pulse.sh" "$root/tests/with-xvfb.sh" bash ${SHOT_TRACE:+-x} "$0" --on-display
  echo "made: data/screenshots/main-window.png data/screenshots/search-and-tag-editor.png"
  exit 0
fi

# --- on the private X server -------------------------------------------------
work="$SHOT_WORK"
music="$SHOT_MUSIC"
out="$SHOT_OUT"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

# waits (up to 20 s) until COMMAND succeeds
wait_for() {
  for _ in $(seq 1 200); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "screenshots.sh: gave up waiting for: $*" >&2
  exit 1
}
# the windows the window manager manages
managed() { xprop -root _NET_CLIENT_LIST | grep "window id" | sed 's/.*# //; s/,/ /g'; }
# prints the id of the managed window whose title is exactly $1
window_named() {
  local w
  for w in $(managed); do
    if [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ]; then echo "$w"; return 0; fi
  done
  return 1
}
# prints the id of the player's main window
main_window() {
  local w
  for w in $(managed); do
    if xprop -id "$w" WM_CLASS | grep -q '"corvalle-mp3-player"'; then echo "$w"; return 0; fi
  done
  return 1
}
# sets X, Y, WIDTH, HEIGHT to window $1's place on the screen
geometry() {
  local info
  info=$(xwininfo -id "$1")
  X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  WIDTH=$(sed -n 's/.*Width: *//p' <<<"$info")
  HEIGHT=$(sed -n 's/.*Height: *//p' <<<"$info")
}
# captures window $1 with its frame and title bar into $2
shoot_window() {
  local w="$1" file="$2" x y wd ht l r t b margin=0
  geometry "$w"
  read -r l r t b < <(xprop -id "$w" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  x=$((X - l - margin)); y=$((Y - t - margin))
  wd=$((WIDTH + l + r + 2 * margin)); ht=$((HEIGHT + t + b + 2 * margin))
  import -window root -crop "${wd}x${ht}+${x}+${y}" +repage "$file"
}

# The window manager.
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

cd "$work/run"
"$SHOT_PLAYER" >"$work/player.log" 2>&1 &
pids+=($!)
wait_for main_window
main=$(main_window)
geometry "$main"
mx=$X; my=$Y

# Select the second entry (the title bar shows its tag) and play it.
xdotool mousemove $((mx + 100)) $((my + 45)) click 1
wait_for sh -c "xdotool getwindowname $main | grep -q 'Harbour Lights' || { import -window root $work/failed.png; false; }"
xdotool mousemove $((mx + 40)) $((my + 96)) click 1
# The elapsed time runs: let it reach a few seconds.
sleep 3.5
xdotool mousemove $((mx + 600)) $((my + 290))
shoot_window "$main" "$out/main-window.png"

# The folder search: the list's menu, "Load Files".
xdotool mousemove $((mx + 100)) $((my + 45)) click 3
sleep 0.5
xdotool key Down Down Return
wait_for window_named "Find & Load MP3 Files"
search=$(window_named "Find & Load MP3 Files")
# Open the music folder in the folder tree (type a name to go to it, Return
# opens it); the preview lists its files.
xdotool type --delay 60 "tmp"
xdotool key Return
sleep 0.5
xdotool type --delay 60 "${music##*/}"
xdotool key Return
sleep 1
shoot_window "$search" "$work/search.png"
geometry "$search"
xdotool mousemove $((X + 320)) $((Y + 244)) click 1  # Close
search_closed() { ! window_named "Find & Load MP3 Files"; }
wait_for search_closed

# The tag editor: the list's menu, "Edit Tag".
xdotool mousemove $((mx + 100)) $((my + 45)) click 1
xdotool mousemove $((mx + 100)) $((my + 45)) click 3
sleep 0.5
xdotool key Down Down Down Return
wait_for window_named "MP3 Tag Information "
tag=$(window_named "MP3 Tag Information ")
sleep 1
shoot_window "$tag" "$work/tag.png"

# Side by side, a transparent gap between them.
convert "$work/search.png" -size 24x1 xc:none "$work/tag.png" -background none -gravity center +append \
  -strip -define png:exclude-chunks=date,time "$out/search-and-tag-editor.png"
convert "$out/main-window.png" -strip -define png:exclude-chunks=date,time "$out/main-window.png"
