#!/usr/bin/env bash
# Runs the page tests of `kelvane serve` (tests/page, pytest): the program of
# a build's virtual-chip folder serves virtual chips, one headless Chromium
# session opens the page and uses each tab; a screenshot of each tab goes to
# <build>/page-screenshots/.
#   test-page.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program=$PWD/$build/virtual/kelvane
if [ ! -x "$program" ]; then
  echo "test-page.sh: no $program; build $build first" >&2
  exit 1
fi
# Debian's python3 has pytest and selenium (python3-pytest, python3-selenium).
status=0
KELVANE_PROGRAM=$program KELVANE_SCREENSHOTS=$PWD/$build/page-screenshots \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/page || status=$?
# pytest's 5 (no test ran) is a failure here too.
exit "$status"
