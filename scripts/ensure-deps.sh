#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the programs need, when missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          libgtest-dev libgmock-dev googletest libbenchmark-dev libasound2-dev
          clang libclang-rt-14-dev python3 nginx microsocks
          libchm-dev fp-utils
          xvfb xauth openbox xdotool x11-utils imagemagick dbus-daemon at-spi2-core
          python3-gi gir1.2-atspi-2.0)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  runner=()
elif command -v sudo >/dev/null 2>&1; then
  runner=(sudo)
else
  echo "These Debian packages are missing and there is no sudo to install them: ${missing[*]}" >&2
  echo "Install them as root: apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${runner[@]}" apt-get update -qq
"${runner[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
