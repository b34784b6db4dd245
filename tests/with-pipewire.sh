#!/bin/bash
# Runs a command beside a private PipeWire sound server whose PulseAudio
# server has a null sink (tests/pipewire-server.sh), as tests/with-pulse.sh
# does with a PulseAudio daemon, then stops its daemons by their pids. ALSA's
# "default" PCM and mixer reach it through the pulse plugin, so the audio
# tests play into the null sink and record its monitor. The tests see
# CORVALLE_SOUND_SERVER=pipewire.
#
# When PipeWire is not installed or its server does not start, the command is
# not run: one line says so and the exit status is 0, unless
# CORVALLE_REQUIRE_PIPEWIRE=1 asks for a failure then.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
# The daemons are this script's children, so it reaps them.
source "$here/pipewire-server.sh"
runtime=$(mktemp -d /tmp/corvalle-pipewire.XXXXXX)

skip() {
  rm -rf "$runtime"
  if [ "${CORVALLE_REQUIRE_PIPEWIRE:-0}" = "1" ]; then
    echo "with-pipewire.sh: $1" >&2
    exit 1
  fi
  echo "PipeWire leg skipped: $1"
  exit 0
}

for p in pipewire wireplumber pactl; do
  command -v "$p" >/dev/null 2>&1 || skip "$p is not installed (scripts/install-deps.sh --tests installs it)"
done

cleanup() {
  pipewire_stop "$runtime/server"
  # A server that sound_server_test started and a crash left running.
  pipewire_stop "$runtime/leftovers"
  rm -rf "$runtime"
}
trap 'cleanup; exit 130' INT
trap 'cleanup; exit 143' TERM
trap 'cleanup; exit 129' HUP

if ! pipewire_start "$runtime/server" corvalle_null 2>"$runtime/start.log"; then
  [ "${CORVALLE_REQUIRE_PIPEWIRE:-0}" = "1" ] && cat "$runtime/start.log" >&2
  reason=$(grep -v '^\(==>\|$\| \)' "$runtime/start.log" | tail -n 1)
  skip "the PipeWire server did not start (${reason:-no reason given})"
fi

export PULSE_SERVER="unix:$runtime/server/native"
export PULSE_RUNTIME_PATH="$runtime/client"
export PULSE_STATE_PATH="$runtime/client/state"
export PULSE_SINK=corvalle_null
export CORVALLE_TEST_SINK=corvalle_null
export CORVALLE_SOUND_SERVER=pipewire
export CORVALLE_PIPEWIRE_LEFTOVERS="$runtime/leftovers"
# PipeWire's own clients (pw-cli, pw-dump; ALSA's pipewire plugin where it is
# the default) find the private server too.
export PIPEWIRE_RUNTIME_DIR="$runtime/server"
unset PIPEWIRE_REMOTE
mkdir -p "$PULSE_STATE_PATH"

"$@"
rc=$?

trap - INT TERM HUP
cleanup
exit $rc
