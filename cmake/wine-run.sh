#!/bin/sh
# Runs a Windows program under wine in a given wine prefix, quietly:
#   wine-run.sh <prefix> <program> [arguments...]
#   wine-run.sh <prefix> --start   keeps one wineserver up for the programs
#                                  that follow and creates the prefix if needed
#   wine-run.sh <prefix> --stop    ends that wineserver
set -e
prefix=$1
shift
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all
# Console programs only: no display, no Mono or Gecko installers.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" DISPLAY=
# Debian's `wine` starts every program through the 32-bit loader, which
# hands 64-bit programs on to wine64. A host that cannot run 32-bit code
# (a kernel without IA-32 emulation) refuses that loader ("Exec format
# error"): there the 64-bit loader is started directly, and only 64-bit
# programs run.
wine=wine
runs_32_bit=yes
if [ -x /usr/lib/wine/wine64 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  wine=/usr/lib/wine/wine64
  runs_32_bit=no
fi
case "$1" in
  --start)
    # Stays up until --stop, or 60 s after its last program ended. (It
    # fails when a server of this prefix is up already, which serves too.)
    wineserver -p60 2>/dev/null || true
    if ! "$wine" wineboot -i >"$prefix/wineboot.log" 2>&1; then
      cat "$prefix/wineboot.log" >&2
      exit 1
    fi
    exit 0 ;;
  --stop)
    exec wineserver -k ;;
esac
# A 32-bit program (PE machine 0x014c) on such a host: say so plainly rather
# than let wine fail with "Exec format error". scripts/test-windows.sh leaves
# the tests that run under wine out of a 32-bit build on such a host.
if [ "$runs_32_bit" = no ] && [ -f "$1" ]; then
  pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  if [ "$machine" = 014c ]; then
    echo "wine-run.sh: this host cannot run 32-bit programs (no IA-32 execution): $1" >&2
    exit 1
  fi
fi
exec "$wine" "$@"
