#!/bin/bash
# Runs a command on a private X server (Xvfb, 1280 x 800, no window manager,
# so windows stand where they are put) with Qt's xcb platform, then stops the
# server by its pid.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "with-xvfb.sh: Xvfb is not installed" >&2
  exit 1
fi
dir=$(mktemp -d /tmp/corvalle-xvfb.XXXXXX)
# -displayfd: the server picks a free display and writes its number when ready.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$dir/display" 2>"$dir/log" &
pid=$!
for _ in $(seq 1 100); do
  grep -q . "$dir/display" 2>/dev/null && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
display=$(head -n 1 "$dir/display" 2>/dev/null)
if [ -z "$display" ]; then
  echo "with-xvfb.sh: Xvfb did not start" >&2
  cat "$dir/log" >&2
  kill "$pid" 2>/dev/null
  rm -rf "$dir"
  exit 1
fi
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
"$@"
rc=$?
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
rm -rf "$dir"
exit $rc
