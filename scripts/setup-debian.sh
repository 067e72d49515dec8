#!/usr/bin/env bash
# Installs what Dawnbell needs to build, run and test on Debian 12, as root. Installing again is harmless.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev libqt6svg6
  libcdio-dev libcdio-paranoia-dev libsndfile1-dev libfluidsynth-dev fluid-soundfont-gm libsdl2-dev
  xdg-utils shared-mime-info
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Dawnbell needs these packages: ${missing[*]}" >&2
    echo "Run this script as root (or install them with apt-get) and try again." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
