#!/usr/bin/env bash
# Installs what the build and the tests need, where it is missing (Debian).
set -euo pipefail

packages=(cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev python3-pytest)
# Installation and package checks: pkg-config files, dpkg-shlibdeps (and the
# file tool that cpack uses with it), udevadm, groff for the manual page.
packages+=(pkg-config dpkg-dev file udev groff-base)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
