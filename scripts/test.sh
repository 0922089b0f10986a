#!/usr/bin/env bash
# Builds everything and runs every test: a normal build (build/) with the
# page tests of kelvane serve in headless Chromium, a build
# under AddressSanitizer and UndefinedBehaviorSanitizer (build-san/), the
# Windows builds (build-win32/, build-win64/) with their tests under wine,
# the Python wheels and source distribution (dist/, build-wheel/) with the
# package's tests run on the installed Linux wheel, the Windows release
# archives (dist/), then every fuzz target for a short while (build-fuzz/,
# Clang; KELVANE_FUZZ_SECONDS per target, 15 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)
run() {
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

echo "== normal build =="
run build
echo "== the page of kelvane serve in headless Chromium =="
bash scripts/test-page.sh build
echo "== installation, examples and packages =="
bash scripts/test-install.sh build
echo "== sanitizer build (ASan + UBSan) =="
(
  export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  run build-san -DKELVANE_SANITIZE=ON -DKELVANE_BUILD_BENCH=OFF
)
echo "== Windows builds (MinGW-w64), tests under wine =="
bash scripts/test-windows.sh
echo "== Python wheels and source distribution (dist/) =="
bash scripts/build-wheels.sh
python3 tests/packaging/check_wheels.py dist --windows-build win32=build-win32 --windows-build win_amd64=build-win64
python3 tests/packaging/check_wheels.py --refuses-faults dist
echo "== Python package, installed from its wheel (python/tests) =="
bash scripts/test-python.sh
echo "== Windows release archives (dist/) =="
bash scripts/build-windows-archives.sh
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build-win32/CMakeCache.txt)
bash tests/packaging/check_windows_archive.sh "dist/kelvane-$version-win32.zip" i686-w64-mingw32-objdump \
  sh "$PWD/cmake/wine-run.sh" "$PWD/build-win32/wineprefix"
bash tests/packaging/check_windows_archive.sh "dist/kelvane-$version-win64.zip" x86_64-w64-mingw32-objdump \
  sh "$PWD/cmake/wine-run.sh" "$PWD/build-win64/wineprefix"
echo "== fuzz targets (libFuzzer, ASan + UBSan) =="
bash scripts/fuzz.sh "${KELVANE_FUZZ_SECONDS:-15}"
echo "All tests passed in every build, and the fuzz targets found nothing."
