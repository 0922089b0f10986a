#!/usr/bin/env bash
# Installs what the build and the tests need, where it is missing (Debian):
#   setup.sh            everything the build, the tests and the packages need
#   setup.sh programs   only what the library, its virtual flavour and the two
#                       programs need (scripts/try-virtual.sh): a compiler,
#                       CMake and the programs' header-only libraries
set -euo pipefail
# scripts/test.sh runs this once and sets KELVANE_SETUP_DONE for the scripts
# it calls, which would run it again (an apt-get update each time a package
# could not be installed).
if [ -n "${KELVANE_SETUP_DONE:-}" ]; then
  exit 0
fi
what=${1:-all}
case $what in
  all | programs) ;;
  *) echo "usage: setup.sh [programs]" >&2; exit 2 ;;
esac

packages=(cmake make g++)
# The kelvane program's header-only libraries (the Windows builds use a
# staged copy of their headers): command line, JSON, TOML.
packages+=(libcli11-dev nlohmann-json3-dev libtoml11-dev)
windows_packages=()
wine32_package=""
vm_packages=()
if [ "$what" = all ]; then
  # The tests and the benchmarks.
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev python3-pytest)
  # The Python wheels: pip and venv for Debian's python3 (pip wheel, the
  # virtual environment the package's tests run in).
  packages+=(python3-pip python3-venv)
  # The Python tests compare kelvane.SMBus with the common SMBus package.
  packages+=(python3-smbus2)
  # The page tests of kelvane serve (scripts/test-page.sh): headless Chromium
  # driven by Selenium. (The HTTP library, cpp-httplib, is in third_party/:
  # Debian's libcpp-httplib-dev has only its declarations, with the code in a
  # shared library built with OpenSSL, which the Windows builds cannot use.)
  packages+=(chromium chromium-driver python3-selenium)
  # The fuzz targets (scripts/fuzz.sh): Clang 14 and its libFuzzer runtime.
  packages+=(clang libclang-rt-14-dev)
  # Installation and package checks: pkg-config files, dpkg-shlibdeps (and the
  # file tool that cpack uses with it), udevadm, groff for the manual page.
  packages+=(pkg-config dpkg-dev file udev groff-base)
  # The Linux wheel and tarball are built and tested in a Debian 11 root
  # (scripts/debian11-root.sh), for machines with glibc 2.17 or later.
  packages+=(debootstrap)
  # The Windows flavour: MinGW-w64 cross compilers, GoogleTest's sources to
  # build it for Windows, wine to run the tests (wine32 from the i386
  # architecture for the 32-bit build).
  # llvm-dlltool (llvm) makes the import library for Microsoft's linker, and
  # lld-link (lld) links the program built for the MSVC ABI that tests it.
  windows_packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine wine64 llvm lld)
  # wine32 comes from the i386 architecture's index, which a mirror in the
  # middle of a sync sometimes serves spoilt: without it the 32-bit tests under
  # wine are left out, with a NOTE (scripts/test-windows.sh), and the rest runs.
  wine32_package=wine32:i386
  # The real-HID stage (scripts/test-real-hid.sh): qemu to boot a small
  # virtual machine and a static busybox for its initramfs. Its kernel package
  # is downloaded by that script, not installed.
  vm_packages=(qemu-system-x86 busybox-static)
fi
missing=()
missing_windows=()
missing_vm=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
for p in "${windows_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing_windows+=("$p")
done
if [ -n "$wine32_package" ] && ! dpkg-query -W -f='${Status}' "$wine32_package" 2>/dev/null | grep -q "install ok installed"; then
  missing_windows+=("$wine32_package")
fi
for p in "${vm_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing_vm+=("$p")
done
if ((${#missing[@]} + ${#missing_windows[@]} + ${#missing_vm[@]})); then
  echo "Installing: ${missing[*]} ${missing_windows[*]} ${missing_vm[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  if ((${#missing_windows[@]})) && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  # A mirror caught in the middle of a sync serves an index of the wrong
  # size now and then: try again, and go on with what was fetched (an
  # install that then lacks a package fails by itself).
  for attempt in 1 2 3; do
    $sudo apt-get update -qq && break
    echo "apt-get update failed (attempt $attempt of 3)" >&2
    sleep $((attempt * 10))
  done
  if ((${#missing[@]})); then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
  if ((${#missing_windows[@]})); then
    # Console programs only: none of wine's recommended desktop packages.
    rest=()
    for p in "${missing_windows[@]}"; do [ "$p" = "$wine32_package" ] || rest+=("$p"); done
    if ((${#rest[@]})); then
      DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${rest[@]}"
    fi
    if [[ " ${missing_windows[*]} " == *" $wine32_package "* ]] &&
      ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$wine32_package"; then
      echo "NOTE: $wine32_package could not be installed (see apt-get's message above): the 32-bit"
      echo "NOTE: Windows tests under wine will be left out; the 64-bit ones and every binary check run."
    fi
  fi
  if ((${#missing_vm[@]})); then
    # qemu for a serial console only: none of its recommended display and
    # firmware packages.
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing_vm[@]}"
  fi
fi
