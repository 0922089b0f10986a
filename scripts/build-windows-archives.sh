#!/usr/bin/env bash
# Writes the Windows release archives to dist/, from the MinGW-w64 builds
# (scripts/build-windows.sh; only the library, both flavours, and the
# programs are built here):
#   kelvane-<version>-win32.zip   32-bit
#   kelvane-<version>-win64.zip   64-bit
# Each holds one folder kelvane-<version>-<win32|win64>/ with
#   bin/      KelvaneDLL-UM_x86.dll and the programs (packaging/windows/programs.txt)
#   include/  kelvane.h
#   lib/      KelvaneDLL-UM_x86.lib (Microsoft's linker), libKelvaneDLL-UM_x86.dll.a
#             (MinGW-w64), KelvaneDLL-UM_x86.def
#   virtual/  the virtual-chip flavour of the DLL with its own copies of the programs
#   README.txt, LICENSE.txt (CR LF line ends)
# Arguments: win32 and/or win64 (default both).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# The programs shipped beside each flavour of the library.
mapfile -t programs < <(grep -v '^#' packaging/windows/programs.txt | grep .)

targets=("$@")
((${#targets[@]})) || targets=(win32 win64)
targets_to_build="kelvane_dll kelvane_virtual_dll ${programs[*]}"
KELVANE_BUILD_TARGETS=$targets_to_build bash scripts/build-windows.sh "${targets[@]}"

mkdir -p dist
for target in "${targets[@]}"; do
  build=$root/build-$target
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
  case "$target" in
    win32) bits=32-bit wheel_platform=win32 ;;
    win64) bits=64-bit wheel_platform=win_amd64 ;;
  esac
  for file in KelvaneDLL-UM_x86.lib KelvaneDLL-UM_x86.def libKelvaneDLL-UM_x86.dll.a; do
    if [ ! -f "$build/bin/$file" ]; then
      echo "build-windows-archives.sh: $build/bin/$file is missing (llvm-dlltool makes the .lib)" >&2
      exit 1
    fi
  done
  name=kelvane-$version-$target
  stage=$build/archive
  rm -rf "$stage"
  mkdir -p "$stage/$name"/{bin,include,lib,virtual}
  cp "$build/bin/KelvaneDLL-UM_x86.dll" "$stage/$name/bin/"
  cp "$build/virtual/KelvaneDLL-UM_x86.dll" "$stage/$name/virtual/"
  for program in "${programs[@]}"; do
    cp "$build/bin/$program.exe" "$stage/$name/bin/"
    cp "$build/bin/$program.exe" "$stage/$name/virtual/"
  done
  cp library/kelvane.h "$stage/$name/include/"
  cp "$build/bin/KelvaneDLL-UM_x86.lib" "$build/bin/libKelvaneDLL-UM_x86.dll.a" "$build/bin/KelvaneDLL-UM_x86.def" \
    "$stage/$name/lib/"
  sed -e "s/@VERSION@/$version/g" -e "s/@BITS@/$bits/g" -e "s/@WHEEL_PLATFORM@/$wheel_platform/g" -e 's/$/\r/' \
    packaging/windows/README.txt >"$stage/$name/README.txt"
  sed -e 's/$/\r/' LICENSE >"$stage/$name/LICENSE.txt"
  rm -f "dist/$name.zip"
  (cd "$stage" && cmake -E tar cf "$root/dist/$name.zip" --format=zip --mtime="1980-01-02 00:00:00" "$name")
  echo "dist/$name.zip"
done
