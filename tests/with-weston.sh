#!/bin/bash
# Runs a command beside a private headless Wayland compositor (weston, its
# own runtime folder, no output device) with Qt's wayland platform, then
# stops the compositor by its pid. Where weston or Qt's Wayland platform is
# missing, one line says so and the command is not run (exit 0); a weston
# installed that does not start is a failure.
set -u
if ! command -v weston >/dev/null 2>&1; then
  echo "Wayland leg skipped: weston is not installed"
  exit 0
fi
if ! ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1; then
  echo "Wayland leg skipped: Qt's Wayland platform (qt6-wayland) is not installed"
  exit 0
fi
runtime=$(mktemp -d /tmp/corvalle-weston.XXXXXX)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
weston --backend=headless-backend.so --socket=wayland-corvalle --idle-time=0 --no-config \
  --log="$runtime/weston.log" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 100); do
  [ -S "$runtime/wayland-corvalle" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$runtime/wayland-corvalle" ]; then
  echo "FAIL: weston did not start"
  cat "$runtime/weston.log" 2>/dev/null | tail -5
  kill "$pid" 2>/dev/null
  rm -rf "$runtime"
  exit 1
fi
export WAYLAND_DISPLAY=wayland-corvalle
export QT_QPA_PLATFORM=wayland
unset DISPLAY
"$@"
rc=$?
kill "$pid" 2>/dev/null
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -9 "$pid" 2>/dev/null || true
rm -rf "$runtime"
exit $rc
