#!/bin/bash
# Installs the Debian packages the player and its tests need; does nothing
# when they are all present. Non-interactive; run as root or with sudo.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libmpg123-dev libasound2-dev libtag1-dev
  lame pulseaudio pulseaudio-utils libasound2-plugins
  e2fsprogs desktop-file-utils dbus xvfb xdotool x11-utils playerctl
  clang libclang-rt-14-dev
)
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
