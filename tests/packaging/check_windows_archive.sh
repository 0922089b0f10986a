#!/usr/bin/env bash
# Checks a Windows release archive (scripts/build-windows-archives.sh) as a
# user unpacks it:
#   check_windows_archive.sh <kelvane-<version>-win32|win64.zip> <objdump> <runner...>
# - its files are exactly those of the documented layout, for this machine;
# - every DLL exports exactly the listed names at their ordinals, and the
#   DLLs and programs import only DLLs of Windows (check_windows_binary.sh);
# - the header is the library's, the texts have CR LF line ends;
# - virtual/KelvaneCLI.exe lists the virtual chip, and bin/kelvane.exe reads
#   the virtual EEPROM with --library virtual, run under the runner
#   (cmake/wine-run.sh <prefix>);
# - a program built for the MSVC ABI against include/ and lib/KelvaneDLL-UM_x86.lib
#   alone runs on virtual/ (msvc_caller/run_msvc_caller.sh).
set -euo pipefail
zip=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
objdump=$2
shift 2
tests=$(cd "$(dirname "$0")/.." && pwd)
source_dir=$(dirname "$tests")
name=$(basename "$zip" .zip)
case "$name" in
  *-win32) arch=x86 format=pei-i386 ;;
  *-win64) arch=x64 format=pei-x86-64 ;;
  *) echo "not a Windows archive: $zip" >&2; exit 2 ;;
esac
# The programs beside each flavour of the library.
mapfile -t programs < <(grep -v '^#' "$source_dir/packaging/windows/programs.txt" | grep .)

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-archive-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { failures=$((failures + 1)); echo "FAIL ($name): $*"; }

(cd "$work" && cmake -E tar xf "$zip")
tree=$work/$name
expected=$( {
  printf '%s\n' README.txt LICENSE.txt bin/KelvaneDLL-UM_x86.dll include/kelvane.h virtual/KelvaneDLL-UM_x86.dll \
    lib/KelvaneDLL-UM_x86.lib lib/libKelvaneDLL-UM_x86.dll.a lib/KelvaneDLL-UM_x86.def
  for program in "${programs[@]}"; do printf '%s\n' "bin/$program.exe" "virtual/$program.exe"; done
} | LC_ALL=C sort)
actual=$(cd "$work" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$(sed "s|^|$name/|" <<<"$expected")" ]; then
  fail "files differ (< archive, > expected):"$'\n'"$(diff <(echo "$actual") <(sed "s|^|$name/|" <<<"$expected") || true)"
fi

for dll in bin/KelvaneDLL-UM_x86.dll virtual/KelvaneDLL-UM_x86.dll; do
  bash "$tests/check_windows_binary.sh" "$objdump" "$tree/$dll" "$source_dir/library/exports.list" || fail "$dll"
done
for program in "${programs[@]}"; do
  for exe in "bin/$program.exe" "virtual/$program.exe"; do
    bash "$tests/check_windows_binary.sh" "$objdump" "$tree/$exe" || fail "$exe"
  done
done
for file in bin/KelvaneDLL-UM_x86.dll virtual/KelvaneDLL-UM_x86.dll bin/KelvaneCLI.exe; do
  "$objdump" -f "$tree/$file" | grep -q "file format $format\$" || fail "$file is not $format"
done
cmp -s "$tree/include/kelvane.h" "$source_dir/library/kelvane.h" || fail "include/kelvane.h is not library/kelvane.h"
for text in README.txt LICENSE.txt; do
  if grep -qv $'\r$' "$tree/$text"; then fail "$text has lines without CR LF"; fi
done
if grep -q '@[A-Z_]*@' "$tree/README.txt"; then fail "README.txt keeps a placeholder"; fi
version=${name#kelvane-}
version=${version%-win*}
grep -qF "Kelvane host software $version for Windows" "$tree/README.txt" || fail "README.txt does not name version $version"

# Debian's wine starts 32-bit programs through its 32-bit loader (wine32); a
# host without IA-32 execution refuses it, and a host where wine32 could not
# be installed has none: there no 32-bit program runs, the 32-bit programs
# are built and checked, not run, and this says so.
runner=("$@")
if [ "$arch" = x86 ]; then
  why=""
  if [ ! -x /usr/lib/wine/wine ]; then
    why="wine32 is not installed"
  elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    why="no IA-32 execution"
  fi
  if [ -n "$why" ]; then
    echo "NOTE: this host cannot run 32-bit programs ($why): the programs of $name.zip are not run"
    runner=()
  fi
fi
if ((${#runner[@]})); then
  run=$work/run
  mkdir -p "$run"
  listing=$(cd "$run" && env -u KELVANE_SIM_BENCH "${runner[@]}" "$tree/virtual/KelvaneCLI.exe" -devices | tr -d '\r') || true
  [ "$listing" = $'Number of connected devices (VID = 0X1209, PID = 0X4B56): 1\n\n\t0) SN = "KV000001"' ] ||
    fail "virtual/KelvaneCLI.exe -devices printed:"$'\n'"$listing"
  # kelvane.exe from bin/ finds the virtual flavour in virtual/ beside it.
  value=$(cd "$run" && env -u KELVANE_SIM_BENCH "${runner[@]}" "$tree/bin/kelvane.exe" --library virtual get 0x50 0x10 |
    tr -d '\r') || true
  [ "$value" = "0x10" ] || fail "bin/kelvane.exe --library virtual get 0x50 0x10 printed:"$'\n'"$value"
fi

bash "$tests/msvc_caller/run_msvc_caller.sh" "$arch" "$tree/include" "$tree/lib" "$tree/virtual" "${runner[@]}" ||
  fail "MSVC-ABI program"

if [ "$failures" -ne 0 ]; then
  exit 1
fi
if ((${#runner[@]})); then
  echo "$name.zip: layout, exports, imports, virtual KelvaneCLI.exe and kelvane.exe and the MSVC-ABI program checked"
else
  echo "$name.zip: layout, exports, imports and the MSVC-ABI program's link checked (nothing run)"
fi
