#!/usr/bin/env bash
# Builds everything and runs every test: a normal build (build/) with the
# page tests of kelvane serve in headless Chromium, its
# hidraw library and programs on a real HID stack in a virtual machine
# (scripts/test-real-hid.sh), a build
# under AddressSanitizer and UndefinedBehaviorSanitizer (build-san/), the
# concurrent-calls test alone under ThreadSanitizer (build-tsan/), the
# Windows builds (build-win32/, build-win64/) with their tests under wine,
# the Python wheels and source distribution and the Linux tarball (dist/;
# the Linux wheel and tarball built in a Debian 11 root, build-debian11/)
# with the package's tests run on the installed Linux wheel, here and in
# that root under Python 3.9, the Windows release archives (dist/), then
# every fuzz target for a short while (build-fuzz/, Clang;
# KELVANE_FUZZ_SECONDS per target, 15 by default). At the end, pass or fail,
# it prints how long each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."

# ---- stages and their times ----
stage_times=()
stage_name=""
stage_start=$SECONDS
run_start=$SECONDS
end_stage() {
  if [ -n "$stage_name" ]; then
    stage_times+=("$(printf '%6d s  %s' $((SECONDS - stage_start)) "$stage_name")")
    stage_name=""
  fi
}
stage() {
  end_stage
  stage_name=$1
  stage_start=$SECONDS
  echo "== $1 =="
}
root_maker=""
print_stage_times() {
  local status=$?
  [ -z "$root_maker" ] || wait "$root_maker" 2>/dev/null || true
  end_stage
  echo
  echo "Stage times:"
  printf '  %s\n' "${stage_times[@]}"
  printf '%8d s  in all\n' $((SECONDS - run_start))
  return $status
}
trap print_stage_times EXIT

stage "set-up (scripts/setup.sh)"
bash scripts/setup.sh
export KELVANE_SETUP_DONE=1

# The Debian 11 root (scripts/debian11-root.sh, about a minute and a half)
# is made while the first builds run, which hides its waits for downloads;
# the wheels' stage waits for it, and makes it itself if this failed.
mkdir -p build-debian11
bash scripts/debian11-root.sh >build-debian11/make-root.log 2>&1 &
root_maker=$!

jobs=$(nproc 2>/dev/null || echo 2)
run() {
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$jobs"
}

stage "normal build"
# The tests and benchmarks turned on, also in a build folder that
# scripts/try-virtual.sh made without them.
run build -DKELVANE_BUILD_TESTS=ON -DKELVANE_BUILD_BENCH=ON
stage "the page of kelvane serve in headless Chromium"
bash scripts/test-page.sh build
stage "installation, examples and packages"
bash scripts/test-install.sh build
stage "real HID stack: the hidraw library in a virtual machine (qemu)"
bash scripts/test-real-hid.sh build
stage "sanitizer build (ASan + UBSan)"
(
  export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  run build-san -DKELVANE_SANITIZE=ON -DKELVANE_BUILD_BENCH=OFF
)
stage "concurrent calls under ThreadSanitizer (the library and that test alone)"
cmake -S . -B build-tsan -DKELVANE_THREAD_SANITIZE=ON -DKELVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target kelvane_thread_tests
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -R '^threads\.' --output-on-failure
stage "Windows builds (MinGW-w64), tests under wine"
bash scripts/test-windows.sh
stage "Python wheels and source distribution, Linux tarball (dist/)"
bash scripts/build-wheels.sh
python3 tests/packaging/check_wheels.py dist --windows-build win32=build-win32 --windows-build win_amd64=build-win64
python3 tests/packaging/check_wheels.py --refuses-faults dist
stage "Python package, installed from its wheel (python/tests)"
bash scripts/test-python.sh
stage "Debian 11 (glibc 2.31, Python 3.9): the Linux wheel and tarball"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/CMakeCache.txt)
bash scripts/test-debian11.sh
bash scripts/test-install.sh --tarball "dist/kelvane-$version-Linux.tar.gz"
stage "Windows release archives (dist/)"
bash scripts/build-windows-archives.sh
bash tests/packaging/check_windows_archive.sh "dist/kelvane-$version-win32.zip" i686-w64-mingw32-objdump \
  sh "$PWD/cmake/wine-run.sh" "$PWD/build-win32/wineprefix"
bash tests/packaging/check_windows_archive.sh "dist/kelvane-$version-win64.zip" x86_64-w64-mingw32-objdump \
  sh "$PWD/cmake/wine-run.sh" "$PWD/build-win64/wineprefix"
stage "fuzz targets (libFuzzer, ASan + UBSan)"
bash scripts/fuzz.sh "${KELVANE_FUZZ_SECONDS:-15}"
end_stage
echo "All tests passed in every build, and the fuzz targets found nothing."
