#!/bin/bash
# Runs a command beside a private PulseAudio daemon with a null sink, then
# stops the daemon by its pid. ALSA's "default" PCM and mixer reach the daemon
# through the pulse plugin (libasound2-plugins), so the audio tests play into
# the null sink and record its monitor.
set -u
runtime=$(mktemp -d /tmp/corvalle-pulse.XXXXXX)
export PULSE_RUNTIME_PATH="$runtime"
export PULSE_STATE_PATH="$runtime/state"
export PULSE_SERVER="unix:$runtime/native"
export PULSE_SINK=corvalle_null
export CORVALLE_TEST_SINK=corvalle_null
mkdir -p "$PULSE_STATE_PATH"

pulseaudio --daemonize=yes --exit-idle-time=-1 -n --use-pid-file=yes \
  --log-target=file:"$runtime/pulse.log" \
  --load="module-null-sink sink_name=corvalle_null rate=44100 channels=2" \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$runtime/native" \
  --load="module-always-sink" >"$runtime/start.log" 2>&1
started=$?

pid=""
for _ in $(seq 1 50); do
  if pactl info >/dev/null 2>&1; then
    pid=$(cat "$runtime/pid" 2>/dev/null || true)
    break
  fi
  sleep 0.1
done
if [ -z "$pid" ]; then
  echo "with-pulse.sh: the PulseAudio daemon did not start (exit $started); audio tests will fail" >&2
  cat "$runtime/start.log" "$runtime/pulse.log" >&2 2>/dev/null || true
else
  pactl set-default-sink corvalle_null >/dev/null 2>&1 || true
fi

"$@"
rc=$?

if [ -n "$pid" ]; then
  kill "$pid" 2>/dev/null
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
fi
rm -rf "$runtime"
exit $rc
