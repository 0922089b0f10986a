"""Builds the kelvane wheels and source distribution, with the standard library only.

As the package's build backend (pyproject.toml) it needs nothing from a
package index: ``pip install kelvane-<version>.tar.gz`` (or ``pip install
./python`` in a checkout) configures and builds both flavours of the library
with CMake and a C++ compiler, and puts them into the wheel beside the
Python files:

    kelvane/lib/KelvaneDLL-UM_x86.dll           the library that drives chips
    kelvane/lib/virtual/KelvaneDLL-UM_x86.dll   the virtual-chip flavour

On Linux the C++ runtime is linked into the library, so that it needs only
glibc; the wheel is then tagged ``manylinux_2_<N>_<arch>`` with N the
highest GLIBC_2.N symbol version the files use, and also
``manylinux2014_<arch>`` when N is 17 or less (``linux_<arch>`` when a file
needs anything else). The build needs CMake 3.18 or later and a C++20
compiler, nothing else: the programs (KelvaneCLI, kelvane) are left out.
``KELVANE_NATIVE_BUILD_DIR`` keeps the CMake build in a folder of one's
choice for the next run.

As a program it writes a wheel around library files built elsewhere (the
MinGW-w64 builds of the Windows DLLs)::

    python3 kelvane_build.py wheel --platform win32 --library bin/KelvaneDLL-UM_x86.dll \\
        --virtual virtual/KelvaneDLL-UM_x86.dll --out dist
"""

import argparse
import base64
import hashlib
import io
import os
import re
import shutil
import subprocess
import sys
import sysconfig
import tarfile
import tempfile
import zipfile
from typing import Dict, Iterable, List, Optional, Tuple

LIBRARY_NAME = "KelvaneDLL-UM_x86.dll"
#: The package folder's place in the wheel, and that of the virtual flavour.
LIBRARY_FOLDER = "kelvane/lib"
VIRTUAL_FOLDER = "kelvane/lib/virtual"
#: What the ELF files of a manylinux wheel may need: glibc's own libraries.
GLIBC_LIBRARIES = {"libc.so.6", "libm.so.6", "libdl.so.2", "libpthread.so.0", "librt.so.1",
                   "ld-linux-x86-64.so.2", "ld-linux-aarch64.so.1", "ld-linux.so.2"}
#: glibc 2.17, the manylinux2014 policy's: files that need no newer glibc carry its tag too.
MANYLINUX2014_GLIBC = 17
#: Every file in an archive gets this time (the earliest a zip can hold), so
#: that the same inputs give the same archive.
ARCHIVE_TIME = (1980, 1, 1, 0, 0, 0)

PYTHON_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
#: In a source distribution the C++ sources lie in source/; in a checkout, one folder up.
SOURCE_IN_SDIST = "source"


# ---- pyproject.toml ------------------------------------------------------------------------------

def _toml_value(text: str) -> object:
    """A TOML string or array of strings (all that [project] here uses)."""
    text = text.strip()
    if text.startswith("["):
        return [item for item in re.findall(r'"((?:[^"\\]|\\.)*)"', text)]
    match = re.fullmatch(r'"((?:[^"\\]|\\.)*)"', text)
    if not match:
        raise ValueError(f"pyproject.toml: unsupported value {text!r}")
    return match.group(1)


def read_project(path: str) -> Dict[str, Dict[str, object]]:
    """The tables of pyproject.toml that start with ``project``, as {table: {key: value}}."""
    try:
        import tomllib  # Python 3.11 and later
    except ImportError:
        tomllib = None
    with open(path, "rb") as file:
        data = file.read()
    if tomllib is not None:
        parsed = tomllib.loads(data.decode("utf-8"))
        tables: Dict[str, Dict[str, object]] = {"project": dict(parsed.get("project", {}))}
        for group, entries in parsed.get("project", {}).get("entry-points", {}).items():
            tables[f"project.entry-points.{group}"] = dict(entries)
        tables["project"].pop("entry-points", None)
        return tables
    # Older Pythons: keys with strings and arrays of strings, arrays over several lines.
    tables = {}
    table: Optional[str] = None
    pending = ""
    for raw in data.decode("utf-8").splitlines():
        line = raw.split(" #")[0].strip() if not pending else raw.strip()
        if pending:
            pending += " " + line
            if "]" not in line:
                continue
            line, pending = pending, ""
        elif not line or line.startswith("#"):
            continue
        header = re.fullmatch(r"\[([^\]]+)\]", line)
        if header:
            table = header.group(1).strip().replace('"', "")
            continue
        if table is None or not (table == "project" or table.startswith("project.")):
            continue
        key, _, value = line.partition("=")
        if value.strip().startswith("[") and "]" not in value:
            pending = line
            continue
        tables.setdefault(table, {})[key.strip().strip('"')] = _toml_value(value)
    return tables


def metadata_text(project: Dict[str, object]) -> str:
    """The METADATA (and PKG-INFO) of the distribution."""
    lines = ["Metadata-Version: 2.1", f"Name: {project['name']}", f"Version: {project['version']}",
             f"Summary: {project.get('description', '')}"]
    if "requires-python" in project:
        lines.append(f"Requires-Python: {project['requires-python']}")
    if "license" in project:
        lines.append(f"License: {project['license']}")
    lines += [f"Classifier: {c}" for c in project.get("classifiers", [])]  # type: ignore[union-attr]
    lines += [f"Requires-Dist: {d}" for d in project.get("dependencies", [])]  # type: ignore[union-attr]
    return "\n".join(lines) + "\n"


def entry_points_text(tables: Dict[str, Dict[str, object]]) -> str:
    prefix = "project.entry-points."
    sections = []
    for table in sorted(t for t in tables if t.startswith(prefix)):
        entries = "".join(f"{k} = {v}\n" for k, v in tables[table].items())
        sections.append(f"[{table[len(prefix):]}]\n{entries}")
    return "\n".join(sections)


# ---- the wheel -------------------------------------------------------------------------------------

def _python_files(root: str) -> List[Tuple[str, str]]:
    """(archive name, file) of the package's own files: its modules, py.typed, the hook folder."""
    files = []
    package = os.path.join(root, "kelvane")
    for folder, subfolders, names in os.walk(package):
        subfolders[:] = sorted(d for d in subfolders if d not in ("__pycache__", "lib"))
        for name in sorted(names):
            if name.endswith(".py") or name == "py.typed":
                path = os.path.join(folder, name)
                files.append((os.path.relpath(path, root).replace(os.sep, "/"), path))
    return files


def _record_line(name: str, data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode("ascii")
    return f"{name},sha256={digest},{len(data)}"


def _add(archive: zipfile.ZipFile, name: str, data: bytes, mode: int = 0o644) -> None:
    info = zipfile.ZipInfo(name, date_time=ARCHIVE_TIME)
    info.external_attr = (0o100000 | mode) << 16
    info.compress_type = zipfile.ZIP_DEFLATED
    archive.writestr(info, data)


def write_wheel(out_dir: str, platform_tag: str, library: str, virtual: str, root: str = PYTHON_ROOT) -> str:
    """Writes kelvane-<version>-py3-none-<platform_tag>.whl with the two library files; returns its path.

    A platform tag of several tags joined with dots (a compressed tag set)
    gives WHEEL one Tag line for each.
    """
    tables = read_project(os.path.join(root, "pyproject.toml"))
    project = tables["project"]
    name, version = str(project["name"]), str(project["version"])
    dist_info = f"{name}-{version}.dist-info"
    tag = f"py3-none-{platform_tag}"
    members: List[Tuple[str, bytes, int]] = []
    for archive_name, path in _python_files(root):
        with open(path, "rb") as file:
            members.append((archive_name, file.read(), 0o644))
    for folder, path in ((LIBRARY_FOLDER, library), (VIRTUAL_FOLDER, virtual)):
        with open(path, "rb") as file:
            members.append((f"{folder}/{LIBRARY_NAME}", file.read(), 0o755))
    license_file = _find_license(root)
    if license_file:
        with open(license_file, "rb") as file:
            members.append((f"{dist_info}/LICENSE", file.read(), 0o644))
    members.append((f"{dist_info}/METADATA", metadata_text(project).encode("utf-8"), 0o644))
    tag_lines = "".join(f"Tag: py3-none-{platform}\n" for platform in platform_tag.split("."))
    wheel = f"Wheel-Version: 1.0\nGenerator: kelvane_build {version}\nRoot-Is-Purelib: false\n{tag_lines}"
    members.append((f"{dist_info}/WHEEL", wheel.encode("ascii"), 0o644))
    entry_points = entry_points_text(tables)
    if entry_points:
        members.append((f"{dist_info}/entry_points.txt", entry_points.encode("utf-8"), 0o644))
    members.append((f"{dist_info}/top_level.txt", b"kelvane\n", 0o644))
    record = [_record_line(n, d) for n, d, _ in members] + [f"{dist_info}/RECORD,,"]
    members.append((f"{dist_info}/RECORD", ("\n".join(record) + "\n").encode("utf-8"), 0o644))

    os.makedirs(out_dir, exist_ok=True)
    path = os.path.join(out_dir, f"{name}-{version}-{tag}.whl")
    with zipfile.ZipFile(path + ".part", "w") as archive:
        for member, data, mode in members:
            _add(archive, member, data, mode)
    os.replace(path + ".part", path)
    return path


def _find_license(root: str) -> Optional[str]:
    for candidate in (os.path.join(root, "LICENSE"), os.path.join(root, SOURCE_IN_SDIST, "LICENSE"),
                      os.path.join(root, os.pardir, "LICENSE")):
        if os.path.isfile(candidate):
            return candidate
    return None


# ---- the platform tag of ELF files ----------------------------------------------------------------

def linux_platform_tag(files: Iterable[str], arch: str) -> str:
    """manylinux_2_<N>_<arch> for files that need glibc alone, else linux_<arch>.

    Files that need no newer glibc than 2.17 get the compressed tag set
    manylinux_2_<N>_<arch>.manylinux2014_<arch>, which pip before 20.3 also
    understands.
    """
    highest = 0
    for path in files:
        dynamic = subprocess.run(["readelf", "-d", "-W", path], check=True, capture_output=True, text=True).stdout
        needed = set(re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", dynamic))
        versions = subprocess.run(["readelf", "-V", "-W", path], check=True, capture_output=True, text=True).stdout
        names = set(re.findall(r"Name: (\S+)\s+Flags", versions))
        foreign = needed - GLIBC_LIBRARIES
        others = {n for n in names if not re.fullmatch(r"GLIBC_2\.\d+(\.\d+)?|GLIBC_PRIVATE", n)}
        if foreign or others or "GLIBC_PRIVATE" in names:
            print(f"kelvane_build: {path} needs {sorted(foreign | others)} besides glibc: tag linux_{arch}",
                  file=sys.stderr)
            return f"linux_{arch}"
        for name in names:
            highest = max(highest, int(name.split(".")[1]))
    tag = f"manylinux_2_{highest}_{arch}"
    return f"{tag}.manylinux2014_{arch}" if highest <= MANYLINUX2014_GLIBC else tag


# ---- building the library ---------------------------------------------------------------------------

def _source_root(root: str) -> str:
    for candidate in (os.path.join(root, SOURCE_IN_SDIST), os.path.join(root, os.pardir)):
        if os.path.isfile(os.path.join(candidate, "CMakeLists.txt")) and os.path.isdir(os.path.join(candidate, "library")):
            return os.path.abspath(candidate)
    raise RuntimeError(f"the library's sources are not in {os.path.join(root, SOURCE_IN_SDIST)} "
                       f"nor in {os.path.abspath(os.path.join(root, os.pardir))}")


def _built_file(build: str, folder: str) -> str:
    for candidate in (os.path.join(build, folder, LIBRARY_NAME), os.path.join(build, folder, "Release", LIBRARY_NAME)):
        if os.path.isfile(candidate):
            return candidate
    raise RuntimeError(f"the build made no {os.path.join(build, folder, LIBRARY_NAME)}")


def build_library(source: str, build: str, version: str) -> Tuple[str, str]:
    """Builds both flavours of the library with CMake; returns (library, virtual)."""
    cmake = shutil.which("cmake")
    if cmake is None:
        raise RuntimeError("building kelvane from source needs CMake 3.18 or later and a C++20 compiler")
    configure = [cmake, "-S", source, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                 "-DKELVANE_BUILD_TESTS=OFF", "-DKELVANE_BUILD_BENCH=OFF", "-DKELVANE_BUILD_PROGRAMS=OFF"]
    if sys.platform.startswith("linux"):
        # The C++ runtime and libgcc linked in, the symbols stripped.
        configure.append("-DCMAKE_SHARED_LINKER_FLAGS=-static-libstdc++ -static-libgcc -s")
    subprocess.run(configure, check=True, stdout=sys.stderr)
    subprocess.run([cmake, "--build", build, "--config", "Release", "-j", str(os.cpu_count() or 2),
                    "--target", "kelvane_dll", "kelvane_virtual_dll"], check=True, stdout=sys.stderr)
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8", errors="replace") as file:
        built_version = re.search(r"^CMAKE_PROJECT_VERSION:[A-Z]*=(.*)$", file.read(), re.MULTILINE)
    if not built_version or built_version.group(1) != version:
        raise RuntimeError(f"the library's sources are version {built_version and built_version.group(1)}, "
                           f"the package {version}")
    return _built_file(build, "bin"), _built_file(build, "virtual")


def _platform() -> Tuple[str, str]:
    """(wheel platform tag before any manylinux check, machine) of this interpreter."""
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return platform, platform.split("_", 1)[1] if platform.startswith("linux_") else platform


# ---- the source distribution -------------------------------------------------------------------------

def _sdist_files(root: str) -> List[Tuple[str, str]]:
    """(name in the archive, file): the Python project at the top, the C++ sources in source/."""
    files = []
    for name in ("pyproject.toml",):
        files.append((name, os.path.join(root, name)))
    for folder in ("kelvane", "tests", "build_backend"):
        for directory, subfolders, names in os.walk(os.path.join(root, folder)):
            subfolders[:] = sorted(d for d in subfolders if d not in ("__pycache__", "lib", ".pytest_cache"))
            for name in sorted(names):
                if not name.endswith((".pyc", ".pyo")):
                    path = os.path.join(directory, name)
                    files.append((os.path.relpath(path, root).replace(os.sep, "/"), path))
    in_sdist = os.path.join(root, SOURCE_IN_SDIST)
    if os.path.isdir(in_sdist):  # an sdist made again from an unpacked one
        for directory, subfolders, names in os.walk(in_sdist):
            subfolders.sort()
            for name in sorted(names):
                path = os.path.join(directory, name)
                files.append((os.path.relpath(path, root).replace(os.sep, "/"), path))
        return files
    # A checkout: every file that git tracks, but python/, which is at the top.
    checkout = os.path.abspath(os.path.join(root, os.pardir))
    listed = subprocess.run(["git", "-C", checkout, "ls-files", "-z"], check=True, capture_output=True).stdout
    for name in sorted(n for n in listed.decode("utf-8").split("\0") if n):
        if name.startswith("python/") or not os.path.isfile(os.path.join(checkout, name)):
            continue
        files.append((f"{SOURCE_IN_SDIST}/{name}", os.path.join(checkout, name)))
    return files


def write_sdist(out_dir: str, root: str = PYTHON_ROOT) -> str:
    project = read_project(os.path.join(root, "pyproject.toml"))["project"]
    base = f"{project['name']}-{project['version']}"
    os.makedirs(out_dir, exist_ok=True)
    path = os.path.join(out_dir, f"{base}.tar.gz")

    def add(archive: tarfile.TarFile, name: str, data: bytes, mode: int) -> None:
        info = tarfile.TarInfo(f"{base}/{name}")
        info.size, info.mode, info.mtime = len(data), mode, 315532800  # 1980-01-01
        archive.addfile(info, io.BytesIO(data))

    with tarfile.open(path + ".part", "w:gz", format=tarfile.PAX_FORMAT) as archive:
        add(archive, "PKG-INFO", metadata_text(project).encode("utf-8"), 0o644)
        for name, file_path in _sdist_files(root):
            with open(file_path, "rb") as file:
                data = file.read()
            add(archive, name, data, 0o755 if os.access(file_path, os.X_OK) else 0o644)
    os.replace(path + ".part", path)
    return path


# ---- PEP 517 hooks ---------------------------------------------------------------------------------

def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def build_sdist(sdist_directory, config_settings=None):
    return os.path.basename(write_sdist(sdist_directory))


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    version = str(read_project(os.path.join(PYTHON_ROOT, "pyproject.toml"))["project"]["version"])
    source = _source_root(PYTHON_ROOT)
    kept = os.environ.get("KELVANE_NATIVE_BUILD_DIR")
    with tempfile.TemporaryDirectory(prefix="kelvane-build-") as temporary:
        build = os.path.abspath(kept) if kept else temporary
        library, virtual = build_library(source, build, version)
        platform, arch = _platform()
        if platform.startswith("linux_"):
            platform = linux_platform_tag([library, virtual], arch)
        return os.path.basename(write_wheel(wheel_directory, platform, library, virtual))


# ---- command line ------------------------------------------------------------------------------------

def main(arguments: Optional[List[str]] = None) -> int:
    parser = argparse.ArgumentParser(description="Writes kelvane wheels and source distributions.")
    commands = parser.add_subparsers(dest="command", required=True)
    wheel = commands.add_parser("wheel", help="a wheel around library files built elsewhere")
    wheel.add_argument("--platform", required=True, help="platform tag: win32, win_amd64, or 'elf' to "
                       "compute manylinux_2_<N>_<arch> from the files")
    wheel.add_argument("--arch", default="x86_64", help="the machine of ELF files (with --platform elf)")
    wheel.add_argument("--library", required=True)
    wheel.add_argument("--virtual", required=True)
    wheel.add_argument("--out", required=True)
    sdist = commands.add_parser("sdist", help="the source distribution")
    sdist.add_argument("--out", required=True)
    options = parser.parse_args(arguments)
    if options.command == "wheel":
        platform = options.platform
        if platform == "elf":
            platform = linux_platform_tag([options.library, options.virtual], options.arch)
        print(write_wheel(options.out, platform, options.library, options.virtual))
    else:
        print(write_sdist(options.out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
