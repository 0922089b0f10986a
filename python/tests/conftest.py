"""Runs the tests against the virtual-chip flavour of the library.

The library is the one named by KELVANE_LIBRARY (``virtual``: the one inside
the installed package), or else the checkout's
build/virtual/KelvaneDLL-UM_x86.dll; without either the run stops with an
error. The virtual flavour reads its bench file (KELVANE_SIM_BENCH) when it
first looks for devices, once per loaded library, so every test that needs a
bench of its own loads a private copy of the library file with it (the
`bench` fixture). No test keeps chip state in a file.
"""

# The annotations name pytest.Config and pytest.MonkeyPatch, which pytest 6
# (Debian 11's, with Python 3.9) does not have: they are not evaluated.
from __future__ import annotations

import itertools
import os
import shutil
import tempfile
import textwrap
from pathlib import Path
from typing import Callable, Iterator

import pytest

import kelvane

REPOSITORY = Path(__file__).resolve().parents[2]
BUILT_LIBRARY = REPOSITORY / "build" / "virtual" / kelvane.LIBRARY_NAME

#: The bench that the virtual flavour uses when it is given none.
DEFAULT_BENCH = """
chip serial=KV000001
  eeprom addr7=50 size=256 pattern=index
  smbus addr7=0b block=4 pec=on pattern=index
"""

_session_folder = ""


def _write_bench(folder: str, text: str) -> str:
    path = os.path.join(folder, "bench.txt")
    with open(path, "w", encoding="ascii") as file:
        # No state file: every library instance starts from its bench.
        file.write("state=\n" + textwrap.dedent(text))
    return path


def pytest_configure(config: pytest.Config) -> None:
    global _session_folder
    library = os.environ.get(kelvane.LIBRARY_VARIABLE) or str(BUILT_LIBRARY)
    if library == kelvane.VIRTUAL:
        library = kelvane.library_path(virtual=True)
    if not os.path.isfile(library):
        raise pytest.UsageError(
            f"the virtual-chip library {library} is missing: build it with "
            "`cmake -S . -B build && cmake --build build --target kelvane_virtual_dll`, "
            f"or name it in {kelvane.LIBRARY_VARIABLE}")
    os.environ[kelvane.LIBRARY_VARIABLE] = os.path.abspath(library)
    # The library that kelvane finds by itself runs the default bench.
    _session_folder = tempfile.mkdtemp(prefix="kelvane-python-tests-")
    os.environ["KELVANE_SIM_BENCH"] = _write_bench(_session_folder, DEFAULT_BENCH)


def pytest_unconfigure(config: pytest.Config) -> None:
    if _session_folder:
        shutil.rmtree(_session_folder, ignore_errors=True)


BenchFactory = Callable[[str], kelvane.Library]


@pytest.fixture
def bench(tmp_path: Path, monkeypatch: pytest.MonkeyPatch) -> BenchFactory:
    """Loads a private copy of the library over the bench file text given."""
    numbers = itertools.count()
    session_bench = os.environ["KELVANE_SIM_BENCH"]

    def load(text: str) -> kelvane.Library:
        folder = tmp_path / f"bench{next(numbers)}"
        folder.mkdir()
        copy = folder / kelvane.LIBRARY_NAME
        shutil.copyfile(os.environ[kelvane.LIBRARY_VARIABLE], copy)
        monkeypatch.setenv("KELVANE_SIM_BENCH", _write_bench(str(folder), text))
        try:
            library = kelvane.load_library(copy)
            library.GetConnectionStatus()  # reads the bench file
        finally:
            monkeypatch.setenv("KELVANE_SIM_BENCH", session_bench)
        copy.unlink()  # stays loaded; keeps the temporary folder small
        return library

    return load


class Plugs:
    """The plug file of a bench: ``line`` goes into the bench file, ``plug``
    says which port each chip sits in now (docs/virtual-bench.md)."""

    def __init__(self, path: Path) -> None:
        self.path = path
        self.line = f"plug={path}"

    def plug(self, text: str) -> None:
        self.path.write_text(textwrap.dedent(text), encoding="ascii")


@pytest.fixture
def plugs(tmp_path: Path) -> Plugs:
    return Plugs(tmp_path / "plugs.txt")


@pytest.fixture
def chip(bench: BenchFactory) -> Iterator[kelvane.Chip]:
    """Chip 0 of a default bench of its own."""
    with kelvane.open(library=bench(DEFAULT_BENCH)) as opened:
        yield opened
