#!/bin/bash
# The real program on a Wayland compositor (under tests/with-weston.sh, beside
# with-pulse.sh's sound server, on a private session bus): the window starts
# on the wayland platform, plays through MPRIS, takes the file of a second
# start, and ends cleanly on Quit.
#   wayland_test.sh PLAYER
set -euo pipefail
player=$(realpath "$1")
work=$(mktemp -d)
pids=()
cleanup() {
  [ ${#pids[@]} -eq 0 ] || kill "${pids[@]}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  tail -5 "$work/player.log" 2>/dev/null
  exit 1
}
# Waits up to 20 s for `playerctl ARGS` to print EXPECTED.
await() {
  local expected="$1"; shift
  local got=""
  for _ in $(seq 1 200); do
    got=$(playerctl --player=corvalle "$@" 2>/dev/null || true)
    [ "$got" = "$expected" ] && return 0
    sleep 0.1
  done
  fail "playerctl $* said '$got', not '$expected'"
}
tone() {  # tone FILE SECONDS HZ TITLE
  python3 - "$1.raw" "$2" "$3" <<'PY'
import math, struct, sys
n = int(float(sys.argv[2]) * 44100)
with open(sys.argv[1], "wb") as f:
    f.write(b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * float(sys.argv[3]) * i / 44100))) for i in range(n)))
PY
  lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m m --add-id3v2 --tt "$4" "$1.raw" "$1" 2>/dev/null
  rm -f "$1.raw"
}
tone "$work/first.mp3" 20 440 First
tone "$work/second.mp3" 20 660 Second
printf '%s\r\n' "$work/first.mp3" > "$work/FileListing.dat"
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_CACHE_HOME="$work/cache"
cd "$work"
"$player" 2>"$work/player.log" &
pids+=($!)
main=$!
await Stopped status
[ "$(cat /proc/$main/comm)" ] || fail "the player ended"
grep -q "libqwayland" /proc/$main/maps || fail "the player does not run on the wayland platform"
playerctl --player=corvalle play
await Playing status
await First metadata title
# A second start hands its file over and ends.
timeout 20 "$player" "$work/second.mp3" 2>>"$work/player.log" || fail "the second start failed or did not end"
await Second metadata title
await Playing status
# The position runs on (within 10 s).
before=$(playerctl --player=corvalle position)
after=$before
for _ in $(seq 1 100); do
  after=$(playerctl --player=corvalle position 2>/dev/null || echo "$before")
  python3 -c "import sys; sys.exit(0 if float('$after') > float('$before') + 0.5 else 1)" && break
  sleep 0.1
done
python3 -c "import sys; sys.exit(0 if float('$after') > float('$before') + 0.5 else 1)" ||
  fail "the position did not run on ($before, then $after)"
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.corvalle /org/mpris/MediaPlayer2 \
  org.mpris.MediaPlayer2.Quit >/dev/null
for _ in $(seq 1 200); do kill -0 "$main" 2>/dev/null || break; sleep 0.1; done
kill -0 "$main" 2>/dev/null && fail "the player did not end on Quit"
wait "$main" && rc=0 || rc=$?
pids=()
[ "$rc" = 0 ] || { cat "$work/player.log"; fail "the player ended with $rc"; }
echo "Wayland: started, played, took a second start's file and ended cleanly"
