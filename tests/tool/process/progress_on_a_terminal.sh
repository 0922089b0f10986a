#!/usr/bin/env bash
# kelvane shows the progress of a scan on standard error when that is a
# terminal (script gives it one), erases it before the grid, and shows none
# with --json or when standard error is a file.
#   progress_on_a_terminal.sh <the kelvane beside the virtual-chip flavour>
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset KELVANE_SIM_BENCH KELVANE_LIBRARY
status=0

shown=$(script -qec "'$program' detect 0x08 0x0f" /dev/null)
if ! grep -qF $'\rkelvane: detect 0x0f 8/8' <<<"$shown"; then
  echo "no progress on a terminal:"; cat -A <<<"$shown"; status=1
fi
# The last thing before the grid erases the line: a carriage return, the
# line's width in spaces, a carriage return.
if ! grep -qF $'\r'"$(printf '%*s' 24 '')"$'\r     0  1  2' <<<"$shown"; then
  echo "the progress line is not erased before the grid:"; cat -A <<<"$shown"; status=1
fi
json=$(script -qec "'$program' --json detect 0x08 0x0f" /dev/null)
if grep -qF 'kelvane: detect' <<<"$json"; then
  echo "progress with --json:"; cat -A <<<"$json"; status=1
fi
script -qec "'$program' detect 0x08 0x0f 2>err.txt" /dev/null >/dev/null
if [ -s err.txt ]; then
  echo "progress on a file:"; cat -A err.txt; status=1
fi
exit $status
