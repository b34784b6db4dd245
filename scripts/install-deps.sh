#!/bin/bash
# Installs the Debian packages the player needs; does nothing when they are
# all present. Non-interactive; run as root or with sudo.
#   scripts/install-deps.sh           what building and running the player needs
#   scripts/install-deps.sh --tests   that and the test and packaging tools,
#                                     and PipeWire if it can be had
set -euo pipefail
# One list, two parts, and a third that may be missing.
build_and_run=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libgl-dev libxcb1-dev
  libmpg123-dev libasound2-dev libpulse-dev libtag1-dev
  libasound2-plugins
)
tests=(
  lame pulseaudio pulseaudio-utils python3-dbus python3-gi fuse3 python3-fusepy
  e2fsprogs desktop-file-utils appstream dbus xvfb xdotool x11-utils playerctl
  at-spi2-core libglib2.0-bin python3-pyatspi
  clang libclang-rt-14-dev llvm
  dpkg-dev file lintian
)
# The sound tests run a second time beside a private PipeWire server
# (tests/with-pipewire.sh), and the program once on a private headless
# weston (tests/with-weston.sh); each leg is skipped when its packages
# cannot be installed. Not pipewire-pulse: the PulseAudio server it provides is the
# pipewire program with a configuration, which the tests write themselves, and
# the package would enable its user service for every login, in place of a
# PulseAudio daemon (the two conflict). Recommends stay out for the same reason.
pipewire=(pipewire wireplumber)
wayland=(weston qt6-wayland)
case "${1:-}" in
  "") packages=("${build_and_run[@]}"); optional=() ;;
  --tests) packages=("${build_and_run[@]}" "${tests[@]}"); optional=("${pipewire[@]}" "${wayland[@]}") ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac
not_installed() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing < <(not_installed "${packages[@]}")
mapfile -t missing_optional < <(not_installed "${optional[@]}")
if [ ${#missing[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ]; then
  exit 0
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
  updated=1
fi
# Each leg's packages apart: one that cannot be had skips its own leg only.
install_leg() {
  local leg="$1"; shift
  local -a want
  mapfile -t want < <(not_installed "$@")
  [ ${#want[@]} -gt 0 ] || return 0
  echo "Installing: ${want[*]}"
  if [ -z "${updated:-}" ]; then
    "${sudo_cmd[@]}" apt-get update -qq || true
    updated=1
  fi
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${want[@]}" ||
    echo "Could not install ${want[*]}: the $leg leg will be skipped" >&2
}
if [ ${#missing_optional[@]} -gt 0 ]; then
  install_leg PipeWire "${pipewire[@]}"
  install_leg Wayland "${wayland[@]}"
fi
