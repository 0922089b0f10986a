#!/usr/bin/env bash
# A Debian 11 root (glibc 2.31, GCC 10, CMake 3.18, Python 3.9) in
# build-debian11/root, made with debootstrap --variant=minbase and kept
# between runs. The Linux wheel and tarball are built in it
# (scripts/build-debian11.sh), so that they need nothing newer than glibc
# 2.17, and tested in it (scripts/test-debian11.sh).
#   debian11-root.sh                  make the root unless it is there
#   debian11-root.sh run COMMAND...   make it, then run COMMAND in it (chroot,
#                                     working directory /, a clean environment:
#                                     pass variables with `env NAME=VALUE`)
# A command runs in mount and process namespaces of its own with /proc
# mounted in the root (the programs find their own folder through
# /proc/self/exe): when it ends, nothing it started runs on and nothing stays
# mounted.
# It holds what the builds and tests need and nothing else (debootstrap's
# --include: the compiler, make, CMake, Python with venv and pytest); no
# downloaded packages nor package lists are kept in it. It is made anew when
# that recipe changes (root.recipe beside it); callers at the same time wait
# for each other. Root only (debootstrap, chroot, unshare). The packages
# come from the Debian mirror that the host's apt uses
# (KELVANE_DEBIAN_MIRROR overrides it).
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$PWD/build-debian11
root=$folder/root

suite=bullseye
include=g++,make,cmake,python3-venv,python3-pytest
mirror=${KELVANE_DEBIAN_MIRROR:-}
if [ -z "$mirror" ]; then
  # The first plain Debian archive of the host's apt sources (one-line or
  # deb822 format), else debootstrap's own default.
  mirror=$(sed -n -e 's/^deb \(\[[^]]*\] \)\?\(https\?:\/\/[^ ]*\/debian\/\?\) .*/\2/p' \
                  -e 's/^URIs: *\(https\?:\/\/[^ ]*\/debian\/\?\)$/\1/p' \
                  /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
           head -n 1) || true  # some of those files need not exist
fi
recipe="debootstrap --variant=minbase --include=$include $suite"

make_root() {
  if [ -f "$folder/root.recipe" ] && [ "$(cat "$folder/root.recipe")" = "$recipe" ] && [ -x "$root/usr/bin/python3" ]; then
    return
  fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "debian11-root.sh: making the Debian 11 root needs root (debootstrap)" >&2
    exit 1
  fi
  echo "== Debian 11 root: $recipe ${mirror:-(the default mirror)}"
  rm -f "$folder/root.recipe"
  rm -rf "$root" "$root.new"
  local log=$folder/debootstrap.log
  # shellcheck disable=SC2086
  if ! debootstrap --variant=minbase --include="$include" "$suite" "$root.new" $mirror >"$log" 2>&1; then
    tail -n 30 "$log"
    [ -f "$root.new/debootstrap/debootstrap.log" ] && tail -n 30 "$root.new/debootstrap/debootstrap.log"
    echo "debian11-root.sh: debootstrap failed (whole output in $log)" >&2
    exit 1
  fi
  rm -rf "$root.new"/var/cache/apt/archives/*.deb "$root.new"/var/lib/apt/lists/*
  mv "$root.new" "$root"
  echo "$recipe" >"$folder/root.recipe"
}

mkdir -p "$folder"
(
  flock 9
  make_root
) 9>"$folder/root.lock"

if [ "${1:-}" = run ]; then
  shift
  exec unshare --mount-proc="$root/proc" --pid --fork chroot "$root" \
    /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/root LANG=C.UTF-8 TMPDIR=/tmp "$@"
elif [ $# -gt 0 ]; then
  echo "usage: debian11-root.sh [run COMMAND...]" >&2
  exit 2
fi
