#!/bin/bash
# A private PipeWire sound server for the tests: pipewire, wireplumber and
# PipeWire's PulseAudio server, each with a configuration of its own written
# into DIR, so nothing of the user's or the system's configuration is read and
# no real sound device is opened. Pulse clients reach it at unix:DIR/native,
# where a null sink is the default sink.
#
#   pipewire-server.sh start DIR SINK   starts it, waits until it answers with
#                                       SINK as its default sink, writes the
#                                       daemons' pids to DIR/pids
#   pipewire-server.sh stop DIR         stops the daemons of DIR/pids by pid
#
# Sourced, it defines pipewire_start and pipewire_stop, which do the same, so
# the daemons are the caller's children and it reaps them.
#
# The PulseAudio server is the pipewire program with its own configuration
# (what the pipewire-pulse package's command is), so only the pipewire and
# wireplumber packages are needed: pipewire-pulse would also enable its user
# service for every login, in place of a PulseAudio daemon.
#
# No session bus is given to the daemons: wireplumber needs neither D-Bus nor
# logind for what is loaded here (no Bluetooth, no portal, no device
# reservation), and the address points at nothing so they neither reach the
# user's bus nor start one.
set -u

alive() {
  # A zombie has ended even though its pid is still taken.
  [ -r "/proc/$1/stat" ] && ! grep -q '^[0-9]* (.*) Z' "/proc/$1/stat" 2>/dev/null
}

stop_pids() {
  local pids=("$@") p deadline
  [ ${#pids[@]} -eq 0 ] && return 0
  kill "${pids[@]}" 2>/dev/null
  deadline=$((SECONDS + 5))
  for p in "${pids[@]}"; do
    while alive "$p" && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
  done
  for p in "${pids[@]}"; do
    if alive "$p"; then kill -9 "$p" 2>/dev/null; fi
  done
  deadline=$((SECONDS + 5))
  for p in "${pids[@]}"; do
    while alive "$p" && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
    # Reaps it when it is this shell's child.
    alive "$p" || wait "$p" 2>/dev/null
  done
  return 0
}

write_config() {
  local dir="$1" sink="$2"
  mkdir -p "$dir/pipewire" "$dir/wireplumber" "$dir/config" "$dir/state" "$dir/log"
  # The graph: a driver for when no device drives it, and what clients and
  # the session manager need to make nodes and links.
  cat >"$dir/pipewire/pipewire.conf" <<EOF
context.properties = {
    core.daemon      = true
    core.name        = pipewire-0
    link.max-buffers = 16
    # PipeWire's defaults, but for the largest quantum, kept at the default
    # one. (A desktop's largest, 2048, is carried out of a stream's end by the
    # player's trailing silence as well; it passed the sound tests too.)
    default.clock.rate        = 48000
    default.clock.quantum     = 1024
    default.clock.min-quantum = 32
    default.clock.max-quantum = 1024
}
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.*       = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-rt args = { nice.level = -11 } flags = [ ifexists nofail ] }
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-node-factory }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-client-device }
    { name = libpipewire-module-access }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-link-factory }
    { name = libpipewire-module-session-manager }
]
context.objects = [
    { factory = spa-node-factory
      args = { factory.name = support.node.driver node.name = Dummy-Driver
               node.group = pipewire.dummy priority.driver = 20000 } }
    { factory = spa-node-factory
      args = { factory.name = support.node.driver node.name = Freewheel-Driver
               node.group = pipewire.freewheel priority.driver = 19000 node.freewheel = true } }
]
EOF
  # The PulseAudio server, with the null sink (44.1 kHz stereo) and, as a
  # desktop's has, module-always-sink.
  cat >"$dir/pipewire/pipewire-pulse.conf" <<EOF
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.*       = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-rt args = { nice.level = -11 } flags = [ ifexists nofail ] }
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-protocol-pulse
      args = { server.address = [ "unix:$dir/native" ] } }
]
pulse.cmd = [
    { cmd = "load-module" args = "module-null-sink sink_name=$sink rate=44100 channels=2" }
    { cmd = "load-module" args = "module-always-sink" }
]
EOF
  # The session manager: default nodes and the linking policy, without the
  # ALSA, V4L2, libcamera and Bluetooth monitors, and without restoring
  # stream volumes or suspending idle nodes (a bare PulseAudio daemon does
  # neither).
  cat >"$dir/wireplumber/wireplumber.conf" <<EOF
context.properties = {
  log.level = 2
  wireplumber.script-engine = lua-scripting
}
context.spa-libs = {
  audio.convert.* = audioconvert/libspa-audioconvert
  support.*       = support/libspa-support
}
context.modules = [
  { name = libpipewire-module-rt args = { nice.level = -11 } flags = [ ifexists nofail ] }
  { name = libpipewire-module-protocol-native }
  { name = libpipewire-module-client-node }
  { name = libpipewire-module-client-device }
  { name = libpipewire-module-adapter }
  { name = libpipewire-module-metadata }
  { name = libpipewire-module-session-manager }
]
wireplumber.components = [
  { name = libwireplumber-module-lua-scripting, type = module }
  { name = session.lua, type = config/lua }
]
EOF
  cat >"$dir/wireplumber/session.lua" <<'EOF'
local policy = {
  ["move"] = true,
  ["follow"] = true,
  ["filter.forward-format"] = false,
  ["audio.no-dsp"] = false,
  ["duck.level"] = 0.3,
}
components = {
  { "libwireplumber-module-metadata", type = "module" },
  { "access/access-default.lua", type = "script/lua", args = {} },
  { "libwireplumber-module-default-nodes", type = "module", args = {} },
  { "libwireplumber-module-si-node", type = "module" },
  { "libwireplumber-module-si-audio-adapter", type = "module" },
  { "libwireplumber-module-si-standard-link", type = "module" },
  { "libwireplumber-module-si-audio-endpoint", type = "module" },
  { "libwireplumber-module-default-nodes-api", type = "module" },
  { "create-item.lua", type = "script/lua", args = policy },
  { "policy-node.lua", type = "script/lua", args = policy },
}
EOF
}

# Runs a daemon in the background with the private environment; its pid in
# $started.
run_daemon() {
  local dir="$1" name="$2"; shift 2
  env -u DISPLAY -u WAYLAND_DISPLAY -u PIPEWIRE_REMOTE -u PIPEWIRE_CORE -u PULSE_SERVER \
    -u PULSE_SINK -u PULSE_SOURCE \
    XDG_RUNTIME_DIR="$dir" PIPEWIRE_RUNTIME_DIR="$dir" PULSE_RUNTIME_PATH="$dir/pulse" \
    XDG_CONFIG_HOME="$dir/config" XDG_STATE_HOME="$dir/state" \
    PIPEWIRE_CONFIG_DIR="$dir/pipewire" WIREPLUMBER_CONFIG_DIR="$dir/wireplumber" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/no-session-bus" \
    "$@" </dev/null >"$dir/log/$name.log" 2>&1 &
  started=$!
}

pipewire_start() {
  local dir="$1" sink="$2" pids=() p
  for p in pipewire wireplumber pactl; do
    if ! command -v "$p" >/dev/null 2>&1; then
      echo "$p is not installed" >&2
      return 1
    fi
  done
  if [ -s "$dir/pids" ]; then
    for p in $(cat "$dir/pids"); do
      if alive "$p"; then
        echo "a server of $dir still runs (pid $p)" >&2
        return 1
      fi
    done
  fi
  mkdir -p "$dir"
  # Sockets and locks a killed server left behind.
  rm -rf "$dir/native" "$dir/pipewire-0" "$dir/pipewire-0.lock" "$dir/pulse" "$dir/state" "$dir/pids"
  write_config "$dir" "$sink"

  run_daemon "$dir" pipewire pipewire
  pids+=("$started")
  # The session manager and the pulse server connect to pipewire's socket.
  local deadline=$((SECONDS + 20))
  while [ ! -S "$dir/pipewire-0" ] && alive "${pids[0]}" && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
  run_daemon "$dir" wireplumber wireplumber
  pids+=("$started")
  run_daemon "$dir" pipewire-pulse bash -c 'exec -a pipewire-pulse pipewire'
  pids+=("$started")
  printf '%s\n' "${pids[@]}" >"$dir/pids"

  # Ready once it answers with the sink as its default: wireplumber chooses
  # the default, so this also waits for the session manager.
  local server="unix:$dir/native" ready=0 set=0
  while [ $SECONDS -lt $deadline ]; do
    for p in "${pids[@]}"; do alive "$p" || break 2; done
    if [ $set -eq 0 ] && PULSE_SERVER="$server" pactl list short sinks 2>/dev/null | grep -q "[[:space:]]$sink[[:space:]]"; then
      PULSE_SERVER="$server" pactl set-default-sink "$sink" >/dev/null 2>&1 && set=1
    fi
    if [ $set -eq 1 ] && PULSE_SERVER="$server" pactl info 2>/dev/null | grep -qx "Default Sink: $sink"; then
      ready=1
      break
    fi
    sleep 0.1
  done
  if [ $ready -eq 0 ]; then
    for p in "${pids[@]}"; do
      alive "$p" || echo "a PipeWire daemon ended as it started (pid $p)" >&2
    done
    echo "the PipeWire server did not become ready" >&2
    tail -n 5 "$dir"/log/*.log >&2 2>/dev/null
    stop_pids "${pids[@]}"
    rm -f "$dir/pids"
    return 1
  fi
}

pipewire_stop() {
  local dir="$1" pids=()
  [ -s "$dir/pids" ] || return 0
  mapfile -t pids <"$dir/pids"
  # The pulse server and the session manager first, as a session ends.
  local reversed=() i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do reversed+=("${pids[$i]}"); done
  stop_pids "${reversed[@]}"
  rm -f "$dir/pids"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  case "${1:-}" in
    start) [ $# -eq 3 ] || { echo "usage: $0 start DIR SINK" >&2; exit 2; }; pipewire_start "$2" "$3" ;;
    stop) [ $# -eq 2 ] || { echo "usage: $0 stop DIR" >&2; exit 2; }; pipewire_stop "$2" ;;
    *) echo "usage: $0 start DIR SINK | stop DIR" >&2; exit 2 ;;
  esac
fi
