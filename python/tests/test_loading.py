"""Where the library is looked for: explicit path, KELVANE_LIBRARY, the package's own, system loader."""

import os
import runpy
import shutil
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

import kelvane
import kelvane.library


def _carries_library() -> bool:
    try:
        kelvane.library_path()
        kelvane.library_path(virtual=True)
    except kelvane.LibraryNotFoundError:
        return False
    return True


#: The tests of the library inside the package run where the package was
#: installed from a wheel (scripts/test-python.sh).
needs_wheel = pytest.mark.skipif(not _carries_library(), reason="this kelvane package carries no library")
#: Where the kelvane under test is imported from, for the programs the tests start.
PACKAGE_PARENT = str(Path(kelvane.__file__).resolve().parents[1])


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
    kelvane.library.PACKAGE_LIBRARY_DIRECTORY = sys.argv[1]
    kelvane.library.INSTALLED_DIRECTORIES[:] = sys.argv[2:]
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
    environment["PYTHONPATH"] = PACKAGE_PARENT

    installed = tmp_path / "usr-local-lib"
    installed.mkdir()
    # A package that carries no library, whatever the one under test does.
    no_package_library = tmp_path / "package-lib"

    def run(**extra: str) -> str:
        return subprocess.run([sys.executable, "-c", SYSTEM_SEARCH, str(no_package_library), str(installed)],
                              env={**environment, **extra},
                              cwd=tmp_path, capture_output=True, text=True, check=True, timeout=60).stdout.strip()

    assert run(LD_LIBRARY_PATH=str(folder)) == f"{kelvane.LIBRARY_NAME} ['KV000001']"
    failure = run()
    assert failure.startswith("error: ")
    for tried in ("explicit path: none given", "KELVANE_LIBRARY: not set",
                  f"the package's library: no {no_package_library / kelvane.LIBRARY_NAME}",
                  f"the system loader's search for '{kelvane.LIBRARY_NAME}'",
                  f"the installed library in {installed}: none there"):
        assert tried in failure

    # Where cmake --install puts it, which the loader's cache never lists.
    copy = _copy(installed)
    assert run() == f"{os.path.realpath(copy)} ['KV000001']"


def test_a_package_without_library_says_so_and_virtual_names_nothing_else(tmp_path, monkeypatch):
    monkeypatch.setattr(kelvane.library, "PACKAGE_LIBRARY_DIRECTORY", str(tmp_path))
    # A file called "virtual" in the working directory is not what the word names.
    monkeypatch.chdir(tmp_path)
    _copy(tmp_path).rename(tmp_path / kelvane.VIRTUAL)
    for virtual in (False, True):
        with pytest.raises(kelvane.LibraryNotFoundError, match="carries no library"):
            kelvane.library_path(virtual=virtual)
    with pytest.raises(kelvane.LibraryNotFoundError, match="explicit path 'virtual': .*carries no library"):
        kelvane.load_library(kelvane.VIRTUAL)
    monkeypatch.setenv(kelvane.LIBRARY_VARIABLE, kelvane.VIRTUAL)
    with pytest.raises(kelvane.LibraryNotFoundError, match="KELVANE_LIBRARY='virtual': .*carries no library"):
        kelvane.list_chips()


def test_a_package_library_that_does_not_load_is_an_error_not_a_fallback(tmp_path, monkeypatch):
    import _ctypes

    if not getattr(_ctypes, "__file__", None):
        pytest.skip("_ctypes is built into this interpreter")
    shutil.copyfile(_ctypes.__file__, tmp_path / kelvane.LIBRARY_NAME)
    monkeypatch.setattr(kelvane.library, "PACKAGE_LIBRARY_DIRECTORY", str(tmp_path))
    monkeypatch.delenv(kelvane.LIBRARY_VARIABLE)
    with pytest.raises(kelvane.LibraryNotFoundError, match="the package's library .*lacks the exports") as raised:
        kelvane.load_library()
    assert "system loader" not in str(raised.value)


@needs_wheel
def test_virtual_selects_the_package_virtual_flavour(monkeypatch):
    virtual = os.path.realpath(kelvane.library_path(virtual=True))
    hardware = os.path.realpath(kelvane.library_path())
    assert virtual != hardware
    assert Path(hardware).parent == Path(kelvane.__file__).resolve().parent / "lib"
    assert kelvane.load_library("virtual").path == virtual
    assert [c.serial for c in kelvane.list_chips(library="virtual")] == ["KV000001"]
    with kelvane.SMBus(library="virtual") as bus:
        assert bus.read_i2c_block_data(0x50, 0x00, 4) == [0, 1, 2, 3]
    monkeypatch.setenv(kelvane.LIBRARY_VARIABLE, "virtual")
    assert kelvane.load_library().path == virtual


PACKAGE_SEARCH = textwrap.dedent("""
    import kelvane
    library = kelvane.load_library()
    print(library.path == kelvane.library_path(), kelvane.list_chips(library=library))
""")


@needs_wheel
@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="LD_LIBRARY_PATH is the Linux loader's")
def test_package_library_comes_before_the_system_one(tmp_path):
    # The virtual flavour where the system loader looks; the package's own
    # library, which drives chips, is taken and finds none here.
    folder = _copy(tmp_path / "lib").parent
    environment = {k: v for k, v in os.environ.items() if k != kelvane.LIBRARY_VARIABLE}
    environment.update(LD_LIBRARY_PATH=str(folder), PYTHONPATH=PACKAGE_PARENT)
    result = subprocess.run([sys.executable, "-c", PACKAGE_SEARCH], env=environment, cwd=tmp_path,
                            capture_output=True, text=True, check=True, timeout=60)
    assert result.stdout.strip() == "True []"


@needs_wheel
def test_pyinstaller_hook_bundles_both_library_files():
    from importlib import metadata

    entry_points = metadata.entry_points()
    group = (entry_points.select(group="pyinstaller40") if hasattr(entry_points, "select")
             else entry_points.get("pyinstaller40", []))
    hook_dirs = [e for e in group if e.name == "hook-dirs" and e.value.startswith("kelvane.")]
    assert len(hook_dirs) == 1
    (folder,) = hook_dirs[0].load()()
    binaries = runpy.run_path(os.path.join(folder, "hook-kelvane.py"))["binaries"]
    assert sorted(binaries) == sorted([
        (kelvane.library_path(), os.path.join("kelvane", "lib")),
        (kelvane.library_path(virtual=True), os.path.join("kelvane", "lib", "virtual")),
    ])
