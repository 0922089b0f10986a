#!/usr/bin/env bash
# Installs what the build and the tests need, where it is missing (Debian).
set -euo pipefail

packages=(cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev python3-pytest)
# The fuzz targets (scripts/fuzz.sh): Clang 14 and its libFuzzer runtime.
packages+=(clang libclang-rt-14-dev)
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
