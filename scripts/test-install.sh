#!/usr/bin/env bash
# Checks what a user gets from a build (default: build/): `cmake --install`
# into a temporary prefix, the program run from an unrelated directory and
# from PATH, the manual page, the examples built against the installed
# library through pkg-config and through find_package(Kelvane) and run
# against the installed virtual-chip flavour, and the DEB and TGZ packages
# that cpack makes, unpacked and run.
#   test-install.sh [build folder]
#   test-install.sh --tarball kelvane-<version>-Linux.tar.gz
# The second form checks a tarball made elsewhere (the Debian 11 build's,
# scripts/build-debian11.sh) as the first checks cpack's: its files, the
# examples built against it and run, its virtual kelvane.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
given_tarball=
if [ "${1:-}" = --tarball ]; then
  given_tarball=$(cd "$(dirname "${2:?--tarball needs a file}")" && pwd)/$(basename "$2")
  [ -f "$given_tarball" ] || { echo "test-install.sh: no $2" >&2; exit 1; }
else
  build=$(cd "${1:-$source_dir/build}" && pwd)
fi
cd "$source_dir"

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-install-test-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
unset KELVANE_SIM_BENCH LD_LIBRARY_PATH PKG_CONFIG_PATH

checks=0
failures=0
pass() { checks=$((checks + 1)); }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); echo "FAIL: $*"; }
# check_output <what> <expected output> <expected status> <command...>
check_output() {
  local what=$1 expected=$2 status=$3 out rc=0
  shift 3
  out=$("$@" 2>&1) || rc=$?
  if [ "$out" = "$expected" ] && [ "$rc" = "$status" ]; then
    pass
  else
    fail "$what: status $rc (expected $status), output:"$'\n'"$out"$'\n'"expected:"$'\n'"$expected"
  fi
}
# check_files <what> <root> <expected list, one path a line>
check_files() {
  local actual
  actual=$(cd "$2" && find . \( -type f -o -type l \) | sed -e 's|^\./||' \
           -e 's|KelvaneTargets-[a-z]*\.cmake$|KelvaneTargets-<config>.cmake|' | LC_ALL=C sort)
  if [ "$actual" = "$(LC_ALL=C sort <<<"$3")" ]; then
    pass
  else
    fail "$1: files differ (< installed, > expected):"$'\n'"$(diff <(echo "$actual") <(LC_ALL=C sort <<<"$3") || true)"
  fi
}
# logged <log file> <command...>: the command's output goes to the log,
# which is shown when the command fails.
logged() {
  local log=$1
  shift
  if ! "$@" >"$log" 2>&1; then
    cat "$log"
    echo "FAIL: $*"
    exit 1
  fi
}
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

if [ -n "$given_tarball" ]; then
  version=$(basename "$given_tarball" -Linux.tar.gz)
  version=${version#kelvane-}
  libdir=lib
else
  version=$(cache CMAKE_PROJECT_VERSION)
  libdir=$(cache CMAKE_INSTALL_LIBDIR)
fi
lib=KelvaneDLL-UM_x86.dll
no_devices="No devices connected"
virtual_listing=$'Number of connected devices (VID = 0X1209, PID = 0X4B56): 1\n\n\t0) SN = "KV000001"'

# Everything the installation holds but the udev rule, relative to its
# prefix.
installed_files() {
  local l=$libdir
  printf '%s\n' bin/KelvaneCLI bin/kelvane include/kelvane.h "$l/$lib" \
    "$l/cmake/Kelvane/KelvaneConfig.cmake" "$l/cmake/Kelvane/KelvaneConfigVersion.cmake" \
    "$l/cmake/Kelvane/KelvaneTargets.cmake" "$l/cmake/Kelvane/KelvaneTargets-<config>.cmake" \
    "$l/kelvane/KelvaneCLI" "$l/kelvane/kelvane" "$l/kelvane/$lib" \
    "$l/kelvane/virtual/KelvaneCLI" "$l/kelvane/virtual/kelvane" "$l/kelvane/virtual/$lib" \
    "$l/pkgconfig/kelvane.pc" share/man/man1/KelvaneCLI.1 share/man/man1/kelvane.1 \
    share/doc/kelvane/LICENSE share/doc/kelvane/README.md share/doc/kelvane/virtual-bench.md \
    share/doc/kelvane/kelvane-tool.md share/doc/kelvane/kelvane-serve.md share/doc/kelvane/serve-bus.png
  (cd "$source_dir/examples" && ls | sed 's|^|share/doc/kelvane/examples/|')
}

# The examples' output against the virtual-chip flavour in folder $3, in a
# fresh working directory: on the default bench, then on two benches of
# their own.
run_examples() {
  local what=$1 bin=$2 virtual=$3 run
  run=$(mktemp -d "$work/run-XXXXXX")
  cd "$run"
  local on_virtual=(env LD_LIBRARY_PATH="$virtual")
  local cli=$prefix/$libdir/kelvane/virtual/KelvaneCLI
  check_output "$what list_chips" $'1 chip(s):\n  0: KV000001' 0 "${on_virtual[@]}" "$bin/list_chips"
  check_output "$what eeprom_page" $'Page 0x10: A0 A1 A2 A3 A4 A5 A6 A7\nRead back as written.' 0 \
    "${on_virtual[@]}" "$bin/eeprom_page"
  check_output "$what smbus_block_read" "Register 0x10: 10 11 12 13 (PEC checked)" 0 \
    "${on_virtual[@]}" "$bin/smbus_block_read"
  check_output "$what gpio_pins" $'GP0 (output) = 1\nGP1 (input) = 0' 0 "${on_virtual[@]}" "$bin/gpio_pins"
  check_output "$what i2c_scan" $'Chip KV000001, I2C bus at 100 kbit/s:\n2 slave(s): 0x0B 0x50' 0 \
    "${on_virtual[@]}" "$bin/i2c_scan"
  # What the EEPROM example wrote is in the chips' state for the next
  # program: the installed virtual program reads it back.
  "$cli" -i2cw=10 -slave7=50 >/dev/null
  check_output "$what, EEPROM page in the chips' state" \
    $'\nConnected to device 0\n\nI2C Read 8 bytes, Slave = 0xa1 \n    0xa0, 0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7' 0 \
    "$cli" -i2cr=8 -slave7=50
  # The scan picks a chip by its serial number; an input that sees high.
  printf 'state=\nchip serial=KV000001\nchip serial=KV000002\n  eeprom addr7=50\n' >two-chips.txt
  printf 'state=\nchip\n  gp pin=1 direction=in level=1\n' >input-high.txt
  check_output "$what i2c_scan KV000002" $'Chip KV000002, I2C bus at 100 kbit/s:\n1 slave(s): 0x50' 0 \
    "${on_virtual[@]}" KELVANE_SIM_BENCH="$run/two-chips.txt" "$bin/i2c_scan" KV000002
  check_output "$what gpio_pins, input high" $'GP0 (output) = 1\nGP1 (input) = 1' 0 \
    "${on_virtual[@]}" KELVANE_SIM_BENCH="$run/input-high.txt" "$bin/gpio_pins"
  cd "$source_dir"
}

# Builds the examples with the flags that pkg-config gives for kelvane.
build_with_pkg_config() {
  local out=$1
  mkdir -p "$out"
  local flags
  flags=$(pkg-config --cflags --libs kelvane)
  for example in "$source_dir"/examples/*.c; do
    # shellcheck disable=SC2086
    cc -std=c11 -Wall -Wextra -Werror "$example" $flags -o "$out/$(basename "$example" .c)"
  done
  # shellcheck disable=SC2086
  c++ -std=c++17 -Wall -Wextra -Werror "$source_dir/examples/i2c_scan.cpp" $flags -o "$out/i2c_scan"
}

# A chip attached to this machine would be listed instead.
devices_ok() {
  local out rc=0
  out=$("$@") || rc=$?
  if [ $rc = 0 ] && { [ "$out" = "$no_devices" ] || [[ $out == "Number of connected devices"* && $out != *KV000001* ]]; }; then
    pass
  else
    fail "$* in $(pwd): status $rc, output: $out"
  fi
}
# kelvane with the real library: no chip here, or real ones but not the
# virtual chip.
tool_real_ok() {
  local out rc=0
  out=$("$@" list) || rc=$?
  if [ $rc = 0 ] && [[ $out != *KV000001* ]] && { [[ $out == "no chips found"* ]] || [[ $out == index* ]]; }; then
    pass
  else
    fail "$* list in $(pwd): status $rc, output: $out"
  fi
}
# kelvane on the virtual chip: list, detect and a register.
check_tool_virtual() {
  local what=$1
  shift
  check_output "$what list" "$(printf '%-6s %-31s %-9s %-9s %s\n%-6s %-31s %-9s %-9s %s' index serial firmware \
    hardware path 0 KV000001 1.2 A6 virtual-usb-1/input0)" 0 "$@" list
  check_output "$what get" "0x10" 0 "$@" get 0x50 0x10
  local grid
  grid=$("$@" detect 2>&1) || true
  [[ $grid == *"00:                         -- -- -- 0b -- -- -- -- "* && $grid == *"50: 50 --"* ]] && pass ||
    fail "$what detect: $grid"
}
# The tarball: its files; unpacked anywhere, its kelvane.pc still leads to
# it; the examples built against it; its virtual kelvane.
check_tarball() {
  local tarball=$1 tree
  if [ ! -f "$tarball" ]; then
    fail "no $(basename "$tarball")"
    return
  fi
  rm -rf "$work/moved"
  mkdir -p "$work/moved"
  tar -xzf "$tarball" -C "$work/moved"
  tree=$work/moved/kelvane-$version-Linux
  check_files "tarball contents" "$tree" "$(installed_files; echo lib/udev/rules.d/70-kelvane.rules)"
  # Unpacked anywhere, its kelvane.pc still leads to it.
  PKG_CONFIG_PATH=$tree/$libdir/pkgconfig build_with_pkg_config "$work/tgz"
  cd "$elsewhere"
  check_output "tarball list_chips" $'1 chip(s):\n  0: KV000001' 0 \
    env LD_LIBRARY_PATH="$tree/$libdir/kelvane/virtual" "$work/tgz/list_chips"
  check_output "tarball list_chips, real library" "No Kelvane chip found." 1 "$work/tgz/list_chips"
  check_tool_virtual "tarball kelvane" "$tree/$libdir/kelvane/virtual/kelvane"
  cd "$source_dir"
}

summary() {
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" = 0 ]
}

elsewhere=$work/elsewhere
mkdir -p "$elsewhere"
if [ -n "$given_tarball" ]; then
  echo "== the tarball $(basename "$given_tarball")"
  check_tarball "$given_tarball"
  summary
  exit
fi

echo "== cmake --install into a temporary prefix"
logged "$work/install.log" cmake --install "$build" --prefix "$prefix"
check_files "cmake --install" "$prefix" "$(installed_files; echo lib/udev/rules.d/70-kelvane.rules)"
soname=$(objdump -p "$prefix/$libdir/$lib" | sed -n 's/^ *SONAME *//p')
[ "$soname" = "$lib" ] && pass || fail "SONAME is '$soname'"
[ "$(readlink "$prefix/bin/KelvaneCLI")" = "../$libdir/kelvane/KelvaneCLI" ] && pass || fail "bin/KelvaneCLI link"

cd "$elsewhere"
devices_ok "$prefix/bin/KelvaneCLI" -devices
devices_ok env PATH="$prefix/bin:$PATH" KelvaneCLI -devices
# The virtual-chip flavour planted in the working directory is not what the
# installed program runs.
ln -s "$prefix/$libdir/kelvane/virtual/$lib" "$lib"
devices_ok "$prefix/bin/KelvaneCLI" -devices
rm "$lib"
check_output "virtual program" "$virtual_listing" 0 "$prefix/$libdir/kelvane/virtual/KelvaneCLI" -devices
[ -f kelvane-virtual-state.txt ] && pass || fail "the virtual chips' state is not in the working directory"
# kelvane: from bindir with the real library (no chip here, or real ones),
# and with the virtual-chip flavour by name, from the link in bindir and
# from the copy in virtual/.
[ "$(readlink "$prefix/bin/kelvane")" = "../$libdir/kelvane/kelvane" ] && pass || fail "bin/kelvane link"
tool_real_ok "$prefix/bin/kelvane"
check_tool_virtual "installed kelvane" "$prefix/bin/kelvane" --library virtual
check_tool_virtual "installed virtual kelvane" "$prefix/$libdir/kelvane/virtual/kelvane"
check_tool_virtual "kelvane on PATH" env PATH="$prefix/bin:$PATH" kelvane --library virtual
cd "$source_dir"

echo "== manual page"
man_page=$prefix/share/man/man1/KelvaneCLI.1
tool_man_page=$prefix/share/man/man1/kelvane.1
if command -v groff >/dev/null 2>&1; then
  for page in "$man_page" "$tool_man_page"; do
    warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
    [ -z "$warnings" ] && pass || fail "groff warns about $(basename "$page"): $warnings"
  done
  text=$(groff -man -Tutf8 -P-cbou "$man_page" 2>/dev/null)
  for line in "Ex: -i2cw=aa,bb -slave8=a0 -speed=400000" "Will display the detailed help for the I2C write command." \
              "-400    Invalid command" "Copyright (c) 2026 Kelvane host software developers"; do
    grep -qF -- "$line" <<<"$text" && pass || fail "the rendered manual page lacks: $line"
  done
  # kelvane(1) holds the program's own help, subcommand by subcommand.
  text=$(groff -man -Tutf8 -P-cbou "$tool_man_page" 2>/dev/null)
  for line in "Usage: kelvane detect [-q|-r] [-a] [FIRST LAST]" "Usage: kelvane config apply FILE" \
              "--serial-pattern PATTERN" "2      a usage error"; do
    grep -qF -- "$line" <<<"$text" && pass || fail "the rendered kelvane(1) lacks: $line"
  done
else
  echo "(groff is not installed: the manual page is not rendered)"
fi

echo "== examples through pkg-config"
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
[ "$(pkg-config --modversion kelvane)" = "$version" ] && pass || fail "pkg-config version"
virtual_dir=$(pkg-config --variable=virtuallibdir kelvane)
[ "$virtual_dir" = "$prefix/$libdir/kelvane/virtual" ] && pass || fail "virtuallibdir is $virtual_dir"
build_with_pkg_config "$work/pc"
run_examples pkg-config "$work/pc" "$virtual_dir"
# Without LD_LIBRARY_PATH the program finds the installed library by its
# run path, and the library finds no virtual chip.
check_output "list_chips on the real library" "No Kelvane chip found." 1 "$work/pc/list_chips"
unset PKG_CONFIG_PATH

echo "== examples through find_package(Kelvane)"
logged "$work/cmake.log" cmake -S "$source_dir/examples" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror"
logged "$work/cmake-build.log" cmake --build "$work/cmake" -j2
virtual_dir=$(sed -n 's/^Kelvane_VIRTUAL_LIBRARY_DIR:[A-Z]*=//p' "$work/cmake/CMakeCache.txt")
[ -z "$virtual_dir" ] && virtual_dir=$prefix/$libdir/kelvane/virtual
run_examples find_package "$work/cmake" "$virtual_dir"

echo "== packages: cpack -G DEB and -G TGZ"
(cd "$build" && logged "$work/cpack.log" cpack -G "DEB;TGZ" -B "$work/packages")
deb=$work/packages/kelvane_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
  fail "no $(basename "$deb"): $(ls "$work/packages")"
else
  pass
  depends=$(dpkg-deb -f "$deb" Depends)
  [[ $depends == *libc6* && $depends == *libstdc++6* ]] && pass || fail "Depends (from dpkg-shlibdeps): $depends"
  root=$work/root
  dpkg-deb -x "$deb" "$root"
  rules_dir=$(dpkg-deb -c "$deb" | sed -n 's|.* \./\(.*udev/rules\.d\)/70-kelvane\.rules$|\1|p')
  [[ $rules_dir == lib/udev/rules.d || $rules_dir == usr/lib/udev/rules.d ]] && pass || fail "udev rule in '$rules_dir'"
  check_files ".deb contents" "$root" "$(installed_files | sed 's|^|usr/|'; echo "$rules_dir/70-kelvane.rules")"
  [ "$(sed -n 's/^prefix=//p' "$root/usr/$libdir/pkgconfig/kelvane.pc")" = /usr ] && pass || fail ".deb kelvane.pc prefix"
  cd "$elsewhere"
  devices_ok "$root/usr/bin/KelvaneCLI" -devices
  check_output ".deb virtual program" "$virtual_listing" 0 "$root/usr/$libdir/kelvane/virtual/KelvaneCLI" -devices
  tool_real_ok "$root/usr/bin/kelvane"
  check_tool_virtual ".deb kelvane" "$root/usr/bin/kelvane" --library virtual
  # The unpacked library and header with the package's kelvane.pc.
  flags=$(PKG_CONFIG_PATH=$root/usr/$libdir/pkgconfig pkg-config --define-variable=prefix="$root/usr" --cflags --libs kelvane)
  # shellcheck disable=SC2086
  cc -Wall -Wextra -Werror "$source_dir/examples/list_chips.c" $flags -o "$work/deb-list-chips"
  check_output ".deb list_chips" $'1 chip(s):\n  0: KV000001' 0 \
    env LD_LIBRARY_PATH="$root/usr/$libdir/kelvane/virtual" "$work/deb-list-chips"
  cd "$source_dir"
fi
check_tarball "$work/packages/kelvane-$version-Linux.tar.gz"

summary
