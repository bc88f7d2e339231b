#!/usr/bin/env bash
# Installs, only when missing, every Debian package Vandro builds, tests or
# runs with. Safe to run again: it does nothing when all is present.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3
  clang libclang-rt-dev
  clang-format
  libmuparser-dev
  # Spreadsheet import: .xls through FreeXL, .xlsx through libzip and pugixml.
  libfreexl-dev libzip-dev libpugixml-dev
  # The desktop program: Qt 6 (Charts' CMake package needs the OpenGL ones),
  # a font so text shows on a bare machine, and a virtual display for the
  # window tests and screenshots.
  qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev libgl-dev fonts-dejavu-core
  xvfb xauth
  # scripts/screenshots.sh: a window manager for title bars, keys sent to the
  # program, and the screen grabbed.
  openbox xdotool x11-utils imagemagick
  # The print test reads the first page of a printed PDF back.
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps: not root and sudo is not available; install these packages: ${missing[*]}" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
if ! "${sudo_cmd[@]}" apt-get update -q; then
  echo "install-deps: apt-get update failed; cannot reach Debian's package lists" >&2
  exit 1
fi
if ! "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  echo "install-deps: could not install: ${missing[*]}" >&2
  exit 1
fi
