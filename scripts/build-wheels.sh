#!/usr/bin/env bash
# Writes the Python package's distributions to dist/:
#   kelvane-<version>.tar.gz                             the source distribution
#   kelvane-<version>-py3-none-manylinux_2_<N>_x86_64.whl  built from it, offline
#   kelvane-<version>-py3-none-win32.whl, -win_amd64.whl   the MinGW-w64 DLLs
# Each wheel holds both flavours of the library (kelvane/lib/ and
# kelvane/lib/virtual/). The Linux wheel is what pip makes of the source
# distribution with no package index (`pip wheel --no-index`): the package's
# own build backend builds the library with the C++ runtime linked in and
# tags the wheel with the highest GLIBC_2.N symbol version its files use.
# The Windows wheels take the DLLs of build-win32/ and build-win64/
# (scripts/build-windows.sh, which builds only the two DLLs here).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh

python=/usr/bin/python3
[ -x "$python" ] || python=python3
backend=python/build_backend/kelvane_build.py
version=$(sed -n 's/^version = "\(.*\)"$/\1/p' python/pyproject.toml)
mkdir -p dist
rm -f dist/kelvane-"$version".tar.gz dist/kelvane-"$version"-*.whl

echo "== source distribution =="
sdist=$("$python" "$backend" sdist --out dist)
echo "$sdist"

echo "== Linux wheel, built from the source distribution without a package index =="
# Unpacked afresh, and built in a new CMake build folder: the unpacked files
# carry the archive's times, older than objects an earlier run left, so a
# kept build folder would link stale objects of files that changed.
rm -rf build-wheel/sdist build-wheel/native
mkdir -p build-wheel/sdist
tar -xzf "$sdist" -C build-wheel/sdist
KELVANE_NATIVE_BUILD_DIR=$root/build-wheel/native \
  "$python" -m pip wheel --quiet --no-index --no-deps --disable-pip-version-check \
  --wheel-dir dist "build-wheel/sdist/kelvane-$version"

echo "== Windows wheels, from the MinGW-w64 builds =="
KELVANE_BUILD_TARGETS="kelvane_dll kelvane_virtual_dll" bash scripts/build-windows.sh win32 win64
for target in win32:win32 win64:win_amd64; do
  build=build-${target%%:*}
  "$python" "$backend" wheel --platform "${target#*:}" --library "$build/bin/KelvaneDLL-UM_x86.dll" \
    --virtual "$build/virtual/KelvaneDLL-UM_x86.dll" --out dist
done
ls -l dist/kelvane-"$version"*
