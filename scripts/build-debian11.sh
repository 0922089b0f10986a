#!/usr/bin/env bash
# Builds the Linux wheel and the relocatable tarball in the Debian 11 root
# (scripts/debian11-root.sh: glibc 2.31, GCC 10, CMake 3.18, Python 3.9)
# from the source distribution, and writes them to dist/:
#   build-debian11.sh dist/kelvane-<version>.tar.gz
#
#   kelvane-<version>-py3-none-manylinux_2_17_x86_64.manylinux2014_x86_64.whl
#       what pip makes of the source distribution with no package index
#       (`pip wheel --no-index`, Python 3.9 and its pip 20.3): the package's
#       own build backend builds both flavours of the library with the C++
#       runtime linked in and tags the wheel with the highest GLIBC_2.N
#       symbol version its files use;
#   kelvane-<version>-Linux.tar.gz
#       cpack's tarball of a build of the same sources (the library, its
#       virtual-chip flavour, KelvaneCLI and kelvane with their manual pages;
#       no tests, no benchmarks), the C++ runtime linked into every file,
#       the programs' header-only libraries (CLI11, nlohmann-json, toml11)
#       staged from this machine's /usr/include as the Windows builds do.
#
# Linked against glibc 2.31 with nothing newer than GLIBC_2.17 in use, both
# run wherever glibc 2.17 or later is. The work is done afresh in the root's
# /kelvane folder (build-debian11/root/kelvane), which is left for a look.
set -euo pipefail
cd "$(dirname "$0")/.."
sdist=${1:?usage: build-debian11.sh dist/kelvane-<version>.tar.gz}
[ -f "$sdist" ] || { echo "build-debian11.sh: no $sdist" >&2; exit 1; }
base=$(basename "$sdist" .tar.gz)
version=${base#kelvane-}
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/debian11-root.sh
in_root() { bash scripts/debian11-root.sh run "$@"; }
work=build-debian11/root/kelvane
rm -rf "$work"
mkdir -p "$work/sdist" "$work/host-include"
tar -xzf "$sdist" -C "$work/sdist"
for entry in CLI nlohmann toml toml.hpp; do
  [ -e "/usr/include/$entry" ] || { echo "build-debian11.sh: no /usr/include/$entry (scripts/setup.sh installs it)" >&2; exit 1; }
  cp -a "/usr/include/$entry" "$work/host-include/"
done

echo "== Debian 11: the Linux wheel, as pip makes it from the source distribution =="
in_root python3 -m venv /kelvane/pip
in_root env KELVANE_NATIVE_BUILD_DIR=/kelvane/native /kelvane/pip/bin/python -m pip wheel --quiet --no-index \
  --no-deps --disable-pip-version-check --wheel-dir /kelvane/wheel "/kelvane/sdist/$base"
wheels=("$work"/wheel/kelvane-"$version"-py3-none-*.whl)
if [ "${#wheels[@]}" -ne 1 ] || [ ! -f "${wheels[0]}" ]; then
  echo "build-debian11.sh: pip made ${wheels[*]}, not one wheel" >&2
  exit 1
fi

echo "== Debian 11: the library, its virtual flavour and the programs, for the tarball =="
static="-static-libstdc++ -static-libgcc"
in_root cmake -S "/kelvane/sdist/$base/source" -B /kelvane/build -DCMAKE_BUILD_TYPE=Release \
  -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_BENCH=OFF \
  -DKELVANE_STAGE_HEADER_ONLY_DEPS=ON -DKELVANE_GLIBC_2_17_PROGRAMS=ON -DKELVANE_HEADER_ONLY_SOURCE=/kelvane/host-include \
  "-DCMAKE_SHARED_LINKER_FLAGS=$static" "-DCMAKE_EXE_LINKER_FLAGS=$static" >/dev/null
in_root cmake --build /kelvane/build -j"$jobs"
in_root sh -c 'cd /kelvane/build && cpack -G TGZ -B /kelvane/packages' >/dev/null
tarball=$work/packages/kelvane-$version-Linux.tar.gz
[ -f "$tarball" ] || { echo "build-debian11.sh: cpack made no $(basename "$tarball")" >&2; exit 1; }

mkdir -p dist
rm -f dist/kelvane-"$version"-py3-none-manylinux*.whl dist/kelvane-"$version"-py3-none-linux_*.whl
cp "${wheels[0]}" "$tarball" dist/
echo "dist/$(basename "${wheels[0]}")"
echo "dist/$(basename "$tarball")"
