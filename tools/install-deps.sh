#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Lumivex need,
# and only those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64
  clang libclang-rt-14-dev llvm
  wine wine64
  xvfb xdotool x11-utils imagemagick libx11-6 xrestop
  libx11-dev libxrandr-dev
  libwayland-dev sway grim wtype swayidle strace
  wayland-protocols zenity
  kwin-wayland plasma-wayland-protocols wayland-utils dbus python3-dbus
  libsystemd-dev gnome-shell mutter
  python3 python3-pytest python3-pil
  fonts-ipafont-gothic
  nsis osslsigncode openssl python3-pefile python3-yaml
  dpkg-dev lintian man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
