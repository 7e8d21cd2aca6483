#!/usr/bin/env bash
# Installs what building and testing Corvane needs, from Debian's packages,
# when it is missing. Needs root (or sudo) only when something is missing.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libssl-dev
          googletest libgtest-dev libxcb1-dev xvfb xauth xdotool x11-utils openbox fonts-liberation2 fonts-dejavu-core
          coreutils clang libclang-rt-14-dev desktop-file-utils appstream dpkg-dev file python3
          btrfs-progs xfsprogs)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
