#!/usr/bin/env bash
# Tests the Linux wheel and tarball of dist/ (scripts/build-debian11.sh) on
# an older system: in the Debian 11 root (scripts/debian11-root.sh: glibc
# 2.31, Python 3.9 and its pytest):
# - the wheel installed with `pip install --no-index` into a new virtual
#   environment of Python 3.9, the virtual chip listed through it, and the
#   package's tests (python/tests) run on it: scripts/test-python.sh, run in
#   the root;
# - both flavours of the library, the wheel's and the tarball's, bring
#   libpthread into a process that lacks it, without which the C++ runtime
#   inside them would not lock a std::mutex
#   (tests/packaging/library_needs_libpthread.c);
# - the tarball unpacked in the root: KelvaneCLI -devices and kelvane list and
#   detect on the virtual flavour, and both programs on the real library,
#   which finds no chip there;
# and here: every ELF file of the tarball needs glibc's libraries only and
# no symbol version newer than GLIBC_2.17 (the wheel's files are checked so
# by tests/packaging/check_wheels.py).
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^version = "\(.*\)"$/\1/p' python/pyproject.toml)
wheels=(dist/kelvane-"$version"-py3-none-manylinux*_x86_64.whl)
tarball=dist/kelvane-$version-Linux.tar.gz
if [ "${#wheels[@]}" -ne 1 ] || [ ! -f "${wheels[0]}" ] || [ ! -f "$tarball" ]; then
  echo "test-debian11.sh: want one Linux wheel and $tarball in dist/ (scripts/build-wheels.sh)," \
       "found: ${wheels[*]}" >&2
  exit 1
fi
wheel=${wheels[0]}

bash scripts/debian11-root.sh
in_root() { bash scripts/debian11-root.sh run "$@"; }
work=build-debian11/root/kelvane-test
rm -rf "$work"
mkdir -p "$work/checkout/scripts" "$work/checkout/python" "$work/wheel-lib" "$work/run"
trap 'rm -rf "$work"' EXIT

checks=0
failures=0
pass() { checks=$((checks + 1)); }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); echo "FAIL: $*"; }
# check_output <what> <expected output> <command in the root...>, run in
# /kelvane-test/run; the command must succeed.
check_output() {
  local what=$1 expected=$2 out rc=0
  shift 2
  out=$(in_root sh -c 'cd /kelvane-test/run && exec "$@"' sh "$@" 2>&1) || rc=$?
  if [ "$rc" = 0 ] && [ "$out" = "$expected" ]; then
    pass
  else
    fail "$what: status $rc, output:"$'\n'"$out"$'\n'"expected:"$'\n'"$expected"
  fi
}

echo "== Debian 11: the wheel under Python 3.9, and the package's tests on it =="
cp scripts/test-python.sh "$work/checkout/scripts/"
cp -r python/tests "$work/checkout/python/"
mkdir "$work/checkout/library"
cp library/kelvane.h library/exports.list "$work/checkout/library/"
cp "$wheel" "$work/"
# Debian 11 has no python3-smbus2: the comparison with it is skipped there.
if in_root bash /kelvane-test/checkout/scripts/test-python.sh --without-smbus2 "/kelvane-test/$(basename "$wheel")"; then
  pass
else
  fail "the package's tests on the wheel, under Python 3.9"
fi

echo "== Debian 11: the libraries bring libpthread =="
python3 - "$wheel" "$work/wheel-lib" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as wheel:
    for flavour in ("", "virtual/"):
        wheel.extract(f"kelvane/lib/{flavour}KelvaneDLL-UM_x86.dll", sys.argv[2])
EOF
tar -xzf "$tarball" -C "$work"
tree=/kelvane-test/kelvane-$version-Linux
cp tests/packaging/library_needs_libpthread.c "$work/"
in_root cc -std=c11 -Wall -Wextra -Werror -o /kelvane-test/library_needs_libpthread \
  /kelvane-test/library_needs_libpthread.c -ldl
if in_root /kelvane-test/library_needs_libpthread /kelvane-test/wheel-lib/kelvane/lib/KelvaneDLL-UM_x86.dll \
    /kelvane-test/wheel-lib/kelvane/lib/virtual/KelvaneDLL-UM_x86.dll \
    "$tree/lib/KelvaneDLL-UM_x86.dll" "$tree/lib/kelvane/virtual/KelvaneDLL-UM_x86.dll"; then
  pass
else
  fail "a library that does not bring libpthread"
fi

echo "== Debian 11: the tarball's programs =="
check_output "virtual KelvaneCLI -devices" \
  $'Number of connected devices (VID = 0X1209, PID = 0X4B56): 1\n\n\t0) SN = "KV000001"' \
  "$tree/lib/kelvane/virtual/KelvaneCLI" -devices
check_output "virtual kelvane list" "$(printf '%-6s %-31s %-9s %-9s %s\n%-6s %-31s %-9s %-9s %s' index serial \
  firmware hardware path 0 KV000001 1.2 A6 virtual-usb-1/input0)" "$tree/bin/kelvane" --library virtual list
grid=$(in_root sh -c 'cd /kelvane-test/run && exec "$1" detect' sh "$tree/lib/kelvane/virtual/kelvane" 2>&1) || true
[[ $grid == *"00:                         -- -- -- 0b -- -- -- -- "* && $grid == *"50: 50 --"* ]] && pass ||
  fail "virtual kelvane detect: $grid"
check_output "KelvaneCLI -devices on the real library" "No devices connected" "$tree/bin/KelvaneCLI" -devices
out=$(in_root sh -c 'cd /kelvane-test/run && exec "$1" list' sh "$tree/bin/kelvane" 2>&1) || true
[[ $out == "no chips found"* ]] && pass || fail "kelvane list on the real library: $out"

echo "== the tarball's files need glibc 2.17 or later and nothing else =="
while IFS= read -r -d '' file; do
  [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
  name=${file#"$work/"}
  needed=$(objdump -p "$file" | sed -n 's/^ *NEEDED *//p' | sort | tr '\n' ' ')
  foreign=$(tr ' ' '\n' <<<"$needed" |
            grep -Evx 'libc\.so\.6|libm\.so\.6|libdl\.so\.2|libpthread\.so\.0|librt\.so\.1|ld-linux-x86-64\.so\.2|' || true)
  [ -z "$foreign" ] && pass || fail "$name needs $foreign besides glibc"
  newest=$(objdump -T "$file" | grep -o 'GLIBC_2\.[0-9]*' | sed 's/GLIBC_2\.//' | sort -n | tail -n 1)
  [ "${newest:-0}" -le 17 ] && pass || fail "$name needs GLIBC_2.$newest"
  others=$(objdump -T "$file" | grep -Eo '\b(GLIBCXX|CXXABI|GCC)_[0-9.]+' | sort -u | tr '\n' ' ' || true)
  [ -z "$others" ] && pass || fail "$name needs the symbol versions $others"
done < <(find "$work/kelvane-$version-Linux" -type f -print0)

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
