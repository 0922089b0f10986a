#!/usr/bin/env bash
# Runs the tests of the Python package (python/tests) against the
# virtual-chip flavour of the library in a build folder.
#   test-python.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."

library="${1:-build}/virtual/KelvaneDLL-UM_x86.dll"
if [ ! -f "$library" ]; then
  echo "test-python.sh: $library is missing; build the library first" >&2
  exit 1
fi
export KELVANE_LIBRARY="$(cd "$(dirname "$library")" && pwd)/$(basename "$library")"

# pytest comes from the distribution (python3-pytest), for its python3; a
# python3 found earlier on PATH may lack it.
python=""
for candidate in python3 /usr/bin/python3; do
  if command -v "$candidate" >/dev/null && "$candidate" -c "import pytest" 2>/dev/null; then
    python=$candidate
    break
  fi
done
if [ -z "$python" ]; then
  echo "test-python.sh: no python3 with pytest (apt-get install python3-pytest)" >&2
  exit 1
fi

# The tests keep no chip state in the working directory; run them from a
# temporary one all the same, and keep pytest's cache out of the checkout.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$PWD
(cd "$work" && "$python" -m pytest -q -p no:cacheprovider -c "$root/python/pyproject.toml" \
  --rootdir "$root/python" "$root/python/tests")
