"""Where the library is looked for: explicit path, KELVANE_LIBRARY, system loader."""

import os
import shutil
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

import kelvane

from conftest import REPOSITORY


def _copy(folder: Path) -> Path:
    folder.mkdir(parents=True, exist_ok=True)
    copy = folder / kelvane.LIBRARY_NAME
    shutil.copyfile(os.environ[kelvane.LIBRARY_VARIABLE], copy)
    return copy


def test_explicit_path_comes_before_the_environment(tmp_path, monkeypatch):
    copy = _copy(tmp_path / "explicit")
    monkeypatch.setenv(kelvane.LIBRARY_VARIABLE, str(tmp_path / "absent" / kelvane.LIBRARY_NAME))
    library = kelvane.load_library(copy)
    assert library.path == os.path.realpath(copy)
    assert kelvane.load_library(str(copy)) is library  # one Library per file
    assert [c.serial for c in kelvane.list_chips(library=copy)] == ["KV000001"]


def test_environment_names_the_library_when_no_path_is_given(tmp_path, monkeypatch):
    copy = _copy(tmp_path / "from-environment")
    monkeypatch.setenv(kelvane.LIBRARY_VARIABLE, str(copy))
    assert kelvane.load_library().path == os.path.realpath(copy)


def test_a_named_library_that_does_not_load_is_an_error_not_a_fallback(tmp_path, monkeypatch):
    absent = tmp_path / "absent.dll"
    with pytest.raises(kelvane.LibraryNotFoundError) as raised:
        kelvane.load_library(absent)  # KELVANE_LIBRARY names a good one
    assert str(absent) in str(raised.value)
    assert isinstance(raised.value, OSError)

    monkeypatch.setenv(kelvane.LIBRARY_VARIABLE, str(absent))
    with pytest.raises(kelvane.LibraryNotFoundError, match="KELVANE_LIBRARY="):
        kelvane.list_chips()


def test_a_file_without_the_exports_is_refused(tmp_path):
    import _ctypes

    if not getattr(_ctypes, "__file__", None):
        pytest.skip("_ctypes is built into this interpreter")
    other = tmp_path / "other.so"
    shutil.copyfile(_ctypes.__file__, other)
    with pytest.raises(kelvane.LibraryNotFoundError, match="lacks the exports DllInitCustom"):
        kelvane.load_library(other)


SYSTEM_SEARCH = textwrap.dedent("""
    import sys
    import kelvane
    import kelvane.library
    kelvane.library.INSTALLED_DIRECTORIES[:] = sys.argv[1:]
    try:
        library = kelvane.load_library()
    except kelvane.LibraryNotFoundError as error:
        print("error:", error)
    else:
        print(library.path, [c.serial for c in kelvane.list_chips()])
""")


@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="LD_LIBRARY_PATH is the Linux loader's")
def test_system_loader_search_is_the_last_resort(tmp_path):
    folder = _copy(tmp_path / "lib").parent
    environment = {k: v for k, v in os.environ.items() if k not in (kelvane.LIBRARY_VARIABLE, "LD_LIBRARY_PATH")}
    environment["PYTHONPATH"] = str(REPOSITORY / "python")

    installed = tmp_path / "usr-local-lib"
    installed.mkdir()

    def run(**extra: str) -> str:
        return subprocess.run([sys.executable, "-c", SYSTEM_SEARCH, str(installed)], env={**environment, **extra},
                              cwd=tmp_path, capture_output=True, text=True, check=True, timeout=60).stdout.strip()

    assert run(LD_LIBRARY_PATH=str(folder)) == f"{kelvane.LIBRARY_NAME} ['KV000001']"
    failure = run()
    assert failure.startswith("error: ")
    for tried in ("explicit path: none given", "KELVANE_LIBRARY: not set",
                  f"the system loader's search for '{kelvane.LIBRARY_NAME}'",
                  f"the installed library in {installed}: none there"):
        assert tried in failure

    # Where cmake --install puts it, which the loader's cache never lists.
    copy = _copy(installed)
    assert run() == f"{os.path.realpath(copy)} ['KV000001']"
