#!/bin/bash
# Installs the Debian packages the player needs; does nothing when they are
# all present. Non-interactive; run as root or with sudo.
#   scripts/install-deps.sh           what building and running the player needs
#   scripts/install-deps.sh --tests   that and the test and packaging tools
set -euo pipefail
# One list, two parts.
build_and_run=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libmpg123-dev libasound2-dev libtag1-dev
  libasound2-plugins
)
tests=(
  lame pulseaudio pulseaudio-utils python3-dbus python3-gi fuse3 python3-fusepy
  e2fsprogs desktop-file-utils appstream dbus xvfb xdotool x11-utils playerctl
  at-spi2-core libglib2.0-bin python3-pyatspi
  clang libclang-rt-14-dev
  dpkg-dev file lintian
)
case "${1:-}" in
  "") packages=("${build_and_run[@]}") ;;
  --tests) packages=("${build_and_run[@]}" "${tests[@]}") ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
