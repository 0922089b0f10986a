#!/usr/bin/env bash
# Checks a Windows build of a DLL or program with the objdump of its target:
#   check_windows_binary.sh <objdump> <file.dll|file.exe> [exports.list]
# - it imports only DLLs of Windows itself (no MinGW runtime DLL);
# - with an export list (DLLs): it exports exactly the listed names, each at
#   its listed ordinal, plainly (no @N, no leading underscore), and nothing
#   else, not even by ordinal alone;
# - without one (programs): it exports nothing.
set -euo pipefail
objdump=$1
file=$2
list=${3:-}
dump=$("$objdump" -p "$file")
status=0

# DLLs that every Windows has.
system_dlls='^(kernel32|user32|advapi32|shell32|setupapi|hid|winmm|msvcrt|ntdll|ole32|oleaut32|bcrypt|ws2_32)\.dll$|^api-ms-win-'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
while read -r dll; do
  [ -n "$dll" ] || continue
  if ! grep -qiE "$system_dlls" <<<"$dll"; then
    echo "$file imports $dll, which is not part of Windows"
    status=1
  fi
done <<<"$imports"

# "[Ordinal/Name Pointer] Table" rows are "[ I] Name" with ordinal I + base.
base=$(sed -n 's/^Ordinal Base[[:space:]]*\([0-9]*\)$/\1/p' <<<"$dump")
named=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
  sed -n 's/^[[:space:]]*\[[[:space:]]*\([0-9]*\)\][[:space:]]*\(.*\)$/\2 \1/p' |
  awk -v base="${base:-0}" '{print $1, $2 + base}' | sort)
addresses=$(sed -n '/^Export Address Table --/,/^$/p' <<<"$dump" | grep -c 'RVA' || true)

if [ -n "$list" ]; then
  expected=$(grep -E '^[A-Za-z]' "$list" | awk '{print $1, $2}' | sort)
  if [ "$expected" != "$named" ]; then
    echo "$file: exported names and ordinals differ from $list (< listed, > exported):"
    diff <(echo "$expected") <(echo "$named") || true
    status=1
  fi
  count=$(wc -l <<<"$expected")
  if [ "$addresses" -ne "$count" ]; then
    echo "$file: $addresses entry points exported, $count listed"
    status=1
  fi
elif [ -n "$named" ] || [ "$addresses" -ne 0 ]; then
  echo "$file exports something:"
  echo "$named"
  status=1
fi

if [ "$status" -eq 0 ]; then
  if [ -n "$list" ]; then
    echo "$file: imports $(echo $imports); exports the $addresses listed names at their ordinals"
  else
    echo "$file: imports $(echo $imports); exports nothing"
  fi
fi
exit "$status"
