#!/usr/bin/env bash
# Installs everything assocman and cipherkey need to build, run and test on Debian 12.
# Safe to run again: apt-get only adds what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6svg6 libgl-dev
  libsqlcipher-dev sqlcipher
  libespeak-ng-dev espeak-ng-data libpcaudio-dev libasound2-dev
  nettle-dev libjpeg-dev
  xvfb xauth xdotool xclip trayer x11-utils libxcb1-dev jq
  fonts-noto-cjk fonts-arphic-ukai fontconfig libfontconfig-dev
  clang libclang-rt-14-dev
  openssl
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
