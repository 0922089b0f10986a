#!/usr/bin/env bash
# Builds msvc_caller.c for the MSVC ABI with clang and lld-link, against
# KelvaneDLL-UM_x86.lib and nothing else of the library, and runs it on the
# virtual-chip flavour (the default bench) under wine:
#   run_msvc_caller.sh <x86|x64> <folder of kelvane.h> <folder of the .lib>
#                      <folder of the virtual DLL> [runner...]
# The runner runs a Windows program (cmake/wine-run.sh <prefix>); without
# one, the program is built and its imports checked, not run. No MSVC
# header, C runtime or SDK library is needed: the program writes through
# kernel32 alone, whose import library is made here with llvm-dlltool.
set -euo pipefail
arch=$1 include=$2 libs=$3 dlls=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
clang=${CLANG:-clang}
lld_link=${LLD_LINK:-lld-link}
dlltool=${LLVM_DLLTOOL:-llvm-dlltool}
readobj=${LLVM_READOBJ:-llvm-readobj}

case "$arch" in
  x86) target=i686-pc-windows-msvc machine=i386 kill=(-k) kernel32_exports=(ExitProcess@4 GetStdHandle@4 WriteFile@20) ;;
  x64) target=x86_64-pc-windows-msvc machine=i386:x86-64 kill=() kernel32_exports=(ExitProcess GetStdHandle WriteFile) ;;
  *) echo "unknown architecture $arch (x86 or x64)" >&2; exit 2 ;;
esac

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-msvc-caller-XXXXXX")
trap 'rm -rf "$work"' EXIT
{ echo "LIBRARY kernel32.dll"; echo "EXPORTS"; printf '  %s\n' "${kernel32_exports[@]}"; } >"$work/kernel32.def"
"$dlltool" -m "$machine" "${kill[@]}" -d "$work/kernel32.def" -l "$work/kernel32.lib"

mkdir -p "$work/run"
"$clang" --target="$target" -std=c11 -O1 -Wall -Wextra -Werror -fno-builtin \
  -I "$here/include" -I "$include" -c "$here/msvc_caller.c" -o "$work/msvc_caller.obj"
"$lld_link" /nologo /entry:start /subsystem:console /nodefaultlib /out:"$work/run/msvc_caller.exe" \
  "$work/msvc_caller.obj" "$libs/KelvaneDLL-UM_x86.lib" "$work/kernel32.lib" 2>&1 || {
  echo "lld-link failed"; exit 1; }

# What the program asks of the DLL: the seven plain names the source calls
# (a .lib made without kill-at would ask for DllInit@0, which the DLL does
# not export).
imports=$("$readobj" --coff-imports "$work/run/msvc_caller.exe" |
  awk '/Name: KelvaneDLL-UM_x86.dll/ {on = 1; next} /^}/ {on = 0} on && /Symbol:/ {print $2}' | sort | tr '\n' ' ')
wanted="DllInit GetConnectionStatus GetDevCount GetSerialNumber ReadI2cData SmbReadBlock WriteI2cData "
if [ "$imports" != "$wanted" ]; then
  echo "FAIL ($arch): the program imports from KelvaneDLL-UM_x86.dll: $imports; expected: $wanted"
  exit 1
fi

if [ "$#" -eq 0 ]; then
  echo "the $arch MSVC-ABI program links with KelvaneDLL-UM_x86.lib alone and imports the plain names"
  exit 0
fi

# Beside the virtual DLL in a folder of its own, where the chips' state file goes.
cp "$dlls/KelvaneDLL-UM_x86.dll" "$work/run/"
unset KELVANE_SIM_BENCH
status=0
output=$(cd "$work/run" && "$@" ./msvc_caller.exe) || status=$?
expected="SN = KV000001, EEPROM: 00 01 02 03 04 05 06 07"
echo "$output"
if [ "$status" -ne 0 ] || [ "$output" != "$expected" ]; then
  echo "FAIL ($arch): exit status $status, expected output: $expected"
  exit 1
fi
echo "the $arch MSVC-ABI program ran on KelvaneDLL-UM_x86.lib"
