#!/usr/bin/env bash
# Installs the Debian packages the project needs, once: a package already
# installed is skipped, and apt is not touched when nothing is missing.
set -euo pipefail

packages=(
  qt6-base-dev qt6-translations-l10n
  libicu-dev icu-devtools
  cmake ninja-build g++
  clang-14 libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev
  fonts-ipafont-gothic
)
# Extra tools some commands need: the screenshot/smoke run and the benches.
if [ "${1:-}" = "--desktop-tools" ]; then
  packages+=(xvfb xauth xdotool imagemagick time)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}; run this as root (or install them with sudo)." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
