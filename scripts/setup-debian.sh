#!/usr/bin/env bash
# Installs what Dawnbell needs to build, run and test on Debian 12. It asks apt-get only for what is missing,
# so on a machine that has everything it changes nothing and needs no root.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  libcdio-dev libcdio-paranoia-dev libsndfile1-dev libfluidsynth-dev libsdl2-dev libglib2.0-dev
  # run: the General MIDI sound font, SVG icons, the desktop's default applications
  libqt6svg6 fluid-soundfont-gm shared-mime-info
  # tests and benchmarks: an X server for the figures of the program on a real display, private D-Bus buses for
  # the notification server and logind the tests stand in for
  xvfb xauth dbus-daemon
  # the check of the installed program and its Debian package
  desktop-file-utils appstream dpkg-dev
)

missing=()
for package in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Dawnbell needs packages this machine lacks; run as root: apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
