#!/usr/bin/env bash
# Runs the tests of the Python package (python/tests) against the package as
# a user installs it: the Linux wheel of dist/ (scripts/build-wheels.sh)
# installed with `pip install --no-index` into a new virtual environment,
# on the virtual-chip flavour inside it (KELVANE_LIBRARY=virtual), from a
# working directory outside the checkout, with nothing of the checkout on
# the import path; first the virtual chip is listed through it. The same
# script runs in the Debian 11 root under Python 3.9 (scripts/test-debian11.sh).
# The comparison with the common SMBus package (smbus2, which scripts/setup.sh
# installs) must run: its test fails where smbus2 cannot be imported
# (KELVANE_TEST_SMBUS2=required), unless --without-smbus2 says that this
# system has none (Debian 11 has no python3-smbus2): then it is skipped.
#   test-python.sh [--without-smbus2] [wheel, default dist/kelvane-<version>-py3-none-manylinux_*.whl]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

smbus2=required
if [ "${1:-}" = --without-smbus2 ]; then
  smbus2=optional
  shift
fi
wheel=${1:-}
if [ -z "$wheel" ]; then
  wheels=(dist/kelvane-*-py3-none-manylinux_*_"$(uname -m)".whl)
  if [ "${#wheels[@]}" -ne 1 ] || [ ! -f "${wheels[0]}" ]; then
    echo "test-python.sh: want one Linux wheel in dist/, found: ${wheels[*]}; run scripts/build-wheels.sh" >&2
    exit 1
  fi
  wheel=${wheels[0]}
fi
wheel=$(cd "$(dirname "$wheel")" && pwd)/$(basename "$wheel")

# pytest comes from the distribution (python3-pytest) for its python3: the
# environment sees the system's packages, and its own (the wheel) first.
python=/usr/bin/python3
if ! "$python" -c "import pytest, venv" 2>/dev/null; then
  echo "test-python.sh: $python lacks pytest or venv (apt-get install python3-pytest python3-venv)" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-python-test-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$python" -m venv --system-site-packages "$work/venv"
"$work/venv/bin/python" -m pip install --quiet --no-index --no-deps --disable-pip-version-check "$wheel"

cd "$work"
unset PYTHONPATH KELVANE_SIM_BENCH
installed=$("$work/venv/bin/python" -c "import kelvane; print(kelvane.__file__)")
case "$installed" in
  "$work/venv/"*) echo "kelvane from $installed" ;;
  *) echo "test-python.sh: kelvane comes from $installed, not from the wheel" >&2; exit 1 ;;
esac
# The virtual chip, listed through the installed package (in a folder of
# its own: the virtual chips keep their state in the working directory).
mkdir "$work/listing"
chips=$(cd "$work/listing" && KELVANE_LIBRARY=virtual "$work/venv/bin/python" -c \
        "import kelvane; print([c.serial for c in kelvane.list_chips()])")
if [ "$chips" != "['KV000001']" ]; then
  echo "test-python.sh: the installed package lists $chips on the virtual flavour, not ['KV000001']" >&2
  exit 1
fi
echo "virtual chips: $chips"
# The tests stay in the checkout; pytest puts their own folder on the path,
# and the options of python/pyproject.toml (which add python/) are not read.
printf "[pytest]\n" >"$work/pytest.ini"
KELVANE_LIBRARY=virtual KELVANE_TEST_SMBUS2=$smbus2 "$work/venv/bin/python" -m pytest -q -p no:cacheprovider -c "$work/pytest.ini" \
  --rootdir "$root/python" "$root/python/tests"
