#!/usr/bin/env bash
# Builds the Windows flavour from Linux with MinGW-w64, in the layout of the
# Linux build:
#   build-win32/  32-bit (the primary build): bin/ the library and KelvaneCLI.exe,
#                 virtual/ the virtual-chip flavour with KelvaneCLI.exe beside it
#   build-win64/  the same, 64-bit
# Each bin/ and virtual/ also holds kelvane.h, KelvaneDLL-UM_x86.def and the
# import libraries libKelvaneDLL-UM_x86.dll.a (MinGW) and KelvaneDLL-UM_x86.lib
# (Microsoft's linker, made with llvm-dlltool). Arguments: win32 and/or win64
# (default both). KELVANE_BUILD_TARGETS limits the build to some targets
# (for example "kelvane_dll kelvane_virtual_dll KelvaneCLI"); default all.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)
targets=("$@")
((${#targets[@]})) || targets=(win32 win64)

for target in "${targets[@]}"; do
  case "$target" in
    win32) toolchain=cmake/toolchains/mingw-w64-i686.cmake ;;
    win64) toolchain=cmake/toolchains/mingw-w64-x86_64.cmake ;;
    *) echo "unknown target $target (win32 or win64)" >&2; exit 2 ;;
  esac
  echo "== Windows build: build-$target =="
  # Release: the shipped files carry no debugging information, which
  # debuggers on Windows could not read anyway.
  cmake -S . -B "build-$target" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
  # shellcheck disable=SC2086
  cmake --build "build-$target" -j"$jobs" ${KELVANE_BUILD_TARGETS:+--target $KELVANE_BUILD_TARGETS}
done
