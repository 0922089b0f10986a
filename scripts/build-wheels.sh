#!/usr/bin/env bash
# Writes the Python package's distributions to dist/:
#   kelvane-<version>.tar.gz                 the source distribution
#   kelvane-<version>-py3-none-manylinux_2_17_x86_64.manylinux2014_x86_64.whl
#                                            built from it, offline, on Debian 11
#   kelvane-<version>-py3-none-win32.whl, -win_amd64.whl   the MinGW-w64 DLLs
# and, from the same Debian 11 build, the relocatable Linux tarball
# kelvane-<version>-Linux.tar.gz (library and programs).
# Each wheel holds both flavours of the library (kelvane/lib/ and
# kelvane/lib/virtual/). The Linux wheel is what pip makes of the source
# distribution with no package index (`pip wheel --no-index`) in a Debian 11
# root (scripts/build-debian11.sh, scripts/debian11-root.sh): the package's
# own build backend builds the library with the C++ runtime linked in and
# tags the wheel with the highest GLIBC_2.N symbol version its files use,
# 2.17 against Debian 11's glibc, so the wheel installs where glibc 2.17 or
# later is (manylinux2014).
# The Windows wheels take the DLLs of build-win32/ and build-win64/
# (scripts/build-windows.sh, which builds only the two DLLs here).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

python=/usr/bin/python3
[ -x "$python" ] || python=python3
backend=python/build_backend/kelvane_build.py
version=$(sed -n 's/^version = "\(.*\)"$/\1/p' python/pyproject.toml)
mkdir -p dist
rm -f dist/kelvane-"$version".tar.gz dist/kelvane-"$version"-*.whl dist/kelvane-"$version"-Linux.tar.gz

echo "== source distribution =="
sdist=$("$python" "$backend" sdist --out dist)
echo "$sdist"

bash scripts/build-debian11.sh "$sdist"

echo "== Windows wheels, from the MinGW-w64 builds =="
KELVANE_BUILD_TARGETS="kelvane_dll kelvane_virtual_dll" bash scripts/build-windows.sh win32 win64
for target in win32:win32 win64:win_amd64; do
  build=build-${target%%:*}
  "$python" "$backend" wheel --platform "${target#*:}" --library "$build/bin/KelvaneDLL-UM_x86.dll" \
    --virtual "$build/virtual/KelvaneDLL-UM_x86.dll" --out dist
done
ls -l dist/kelvane-"$version"*
