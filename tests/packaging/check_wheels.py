#!/usr/bin/env python3
"""Checks the Python distributions that scripts/build-wheels.sh writes.

    check_wheels.py [--refuses-faults] DIST_FOLDER

For every wheel kelvane-<version>-py3-none-<platform>.whl (<platform> may be
a compressed tag set, tags joined with dots):
- the version is the package's (python/pyproject.toml) and the library's
  (CMakeLists.txt);
- WHEEL says Root-Is-Purelib: false and the file name's tags; RECORD lists
  every other file once with its sha256 and size; the files are exactly the
  package's modules, both library files and the metadata; entry_points.txt
  names the PyInstaller hook;
- Linux: both library files are x86-64 ELF shared objects that need
  glibc's libraries only (no libstdc++, no libgcc_s) and export exactly the
  listed names (check_exports.sh); every tag is a manylinux tag, none for a
  glibc older than the highest GLIBC_2.N symbol version that the files use
  (read from their dynamic symbols), the oldest for exactly that one, and
  none newer than manylinux2014 (glibc 2.17), so that the wheel installs
  where hidapi's and libusb's do; files that need a glibc before 2.34 need
  libpthread.so.0, without which the C++ runtime linked into them would
  take std::mutex for a no-op in a process that lacks it;
- Windows: both DLLs are PE files of the tag's machine and export exactly
  the listed names at their ordinals (check_windows_binary.sh), and
  --windows-build PLATFORM=FOLDER compares them with that build's files.
And the source distribution holds the Python project, its build backend
and the library's sources.

--refuses-faults checks the checker: copies of the Linux wheel spoilt in
one way each (a tag with a lower <N>, files that need a glibc newer than
2.17 under a tag that says so, a library that does not need libpthread, a
file whose RECORD hash is wrong, a missing virtual flavour, Root-Is-Purelib:
true) must each be refused for that fault and for nothing else, and copies
re-zipped the same way but not spoilt (one with its RECORD as it was, one
with the RECORD written anew) must be accepted.
"""

import argparse
import base64
import csv
import hashlib
import io
import os
import re
import subprocess
import sys
import tarfile
import tempfile
import zipfile
from pathlib import Path
from typing import Dict, List, Optional, Tuple

SOURCE = Path(__file__).resolve().parents[2]
LIBRARY_NAME = "KelvaneDLL-UM_x86.dll"
LIBRARY_FILES = [f"kelvane/lib/{LIBRARY_NAME}", f"kelvane/lib/virtual/{LIBRARY_NAME}"]
GLIBC_LIBRARIES = {"libc.so.6", "libm.so.6", "libdl.so.2", "libpthread.so.0", "librt.so.1", "ld-linux-x86-64.so.2"}
#: The newest glibc a Linux wheel may need: manylinux2014's.
NEWEST_GLIBC = 17
#: From this glibc on the threads functions are in libc.so.6 itself.
GLIBC_WITH_THREADS = 34
#: The manylinux tags named after their policy, and the glibc each stands for.
LEGACY_MANYLINUX = {"manylinux1": 5, "manylinux2010": 12, "manylinux2014": 17}
WINDOWS = {"win32": ("i686-w64-mingw32-objdump", "pei-i386"),
           "win_amd64": ("x86_64-w64-mingw32-objdump", "pei-x86-64")}


def package_version() -> str:
    text = (SOURCE / "python" / "pyproject.toml").read_text()
    return re.search(r'^version = "([^"]+)"', text, re.MULTILINE).group(1)


def library_version() -> str:
    text = (SOURCE / "CMakeLists.txt").read_text()
    return re.search(r"project\(\s*\w+\s+VERSION\s+([0-9.]+)", text).group(1)


def package_modules() -> List[str]:
    """The package's own files, as the checkout has them."""
    root = SOURCE / "python"
    return sorted(str(p.relative_to(root)).replace(os.sep, "/") for p in (root / "kelvane").rglob("*")
                  if p.is_file() and (p.suffix == ".py" or p.name == "py.typed") and "__pycache__" not in p.parts)


def glibc_requirement(path: str) -> Optional[int]:
    """N of the highest GLIBC_2.N in the dynamic symbols of an ELF file (objdump -T)."""
    symbols = subprocess.run(["objdump", "-T", path], check=True, capture_output=True, text=True).stdout
    minors = [int(m) for m in re.findall(r"\bGLIBC_2\.(\d+)", symbols)]
    return max(minors) if minors else None


def check_elf(path: str, name: str) -> List[str]:
    problems = []
    header = subprocess.run(["readelf", "-h", path], check=True, capture_output=True, text=True).stdout
    if not re.search(r"Class:\s+ELF64", header) or not re.search(r"Machine:\s+Advanced Micro Devices X86-64", header):
        problems.append(f"{name} is not an x86-64 ELF64 file")
    if not re.search(r"Type:\s+DYN", header):
        problems.append(f"{name} is not a shared object")
    private = subprocess.run(["objdump", "-p", path], check=True, capture_output=True, text=True).stdout
    needed = set(re.findall(r"^\s*NEEDED\s+(\S+)", private, re.MULTILINE))
    if needed - GLIBC_LIBRARIES:
        problems.append(f"{name} needs {sorted(needed - GLIBC_LIBRARIES)} besides glibc")
    required = glibc_requirement(path)
    if required is not None and required < GLIBC_WITH_THREADS and "libpthread.so.0" not in needed:
        problems.append(f"{name} needs GLIBC_2.{required} but not libpthread.so.0: its std::mutex would not "
                        f"lock in a process without libpthread")
    foreign = sorted(set(re.findall(r"\b((?:GLIBCXX|CXXABI|GCC)_[0-9.]+)", private)))
    if foreign:
        problems.append(f"{name} needs symbol versions {foreign}")
    exports = subprocess.run(["bash", str(SOURCE / "tests" / "check_exports.sh"), path,
                              str(SOURCE / "library" / "exports.list")], capture_output=True, text=True)
    if exports.returncode != 0:
        problems.append(f"{name}: {exports.stdout.strip()}")
    return problems


def check_pe(path: str, name: str, platform: str) -> List[str]:
    objdump, file_format = WINDOWS[platform]
    problems = []
    header = subprocess.run([objdump, "-f", path], check=True, capture_output=True, text=True).stdout
    if f"file format {file_format}" not in header:
        problems.append(f"{name} is not {file_format}")
    exports = subprocess.run(["bash", str(SOURCE / "tests" / "check_windows_binary.sh"), objdump, path,
                              str(SOURCE / "library" / "exports.list")], capture_output=True, text=True)
    if exports.returncode != 0:
        problems.append(f"{name}: {exports.stdout.strip()}")
    return problems


def check_wheel(path: str, windows_builds: Dict[str, str]) -> List[str]:
    """The problems of one wheel (empty when it is sound)."""
    name = os.path.basename(path)
    match = re.fullmatch(r"kelvane-([^-]+)-py3-none-([a-z0-9_.]+)\.whl", name)
    if not match:
        return [f"{name}: not a name kelvane-<version>-py3-none-<platform>.whl"]
    version, platform = match.groups()
    problems = []
    if version != package_version() or version != library_version():
        problems.append(f"{name}: version {version}; the package is {package_version()}, "
                        f"the library {library_version()}")
    dist_info = f"kelvane-{version}.dist-info"
    with zipfile.ZipFile(path) as archive:
        names = archive.namelist()
        contents = {n: archive.read(n) for n in names}
    expected = set(package_modules() + LIBRARY_FILES +
                   [f"{dist_info}/{f}" for f in ("METADATA", "WHEEL", "RECORD", "LICENSE", "entry_points.txt",
                                                 "top_level.txt")])
    if len(names) != len(set(names)) or set(names) != expected:
        problems.append(f"{name}: files differ: missing {sorted(expected - set(names))}, "
                        f"extra {sorted(set(names) - expected)}")
    wheel = contents.get(f"{dist_info}/WHEEL", b"").decode()
    if "Root-Is-Purelib: false" not in wheel.splitlines():
        problems.append(f"{name}: WHEEL does not say Root-Is-Purelib: false")
    tags = [line.split(": ", 1)[1] for line in wheel.splitlines() if line.startswith("Tag: ")]
    if tags != [f"py3-none-{p}" for p in platform.split(".")]:
        problems.append(f"{name}: WHEEL tags {tags}")
    record = list(csv.reader(io.StringIO(contents.get(f"{dist_info}/RECORD", b"").decode())))
    recorded = {row[0]: row[1:] for row in record if row}
    if len(recorded) != len([r for r in record if r]) or set(recorded) != set(names):
        problems.append(f"{name}: RECORD lists {sorted(recorded)}")
    for member, data in contents.items():
        if member == f"{dist_info}/RECORD":
            if recorded.get(member) != ["", ""]:
                problems.append(f"{name}: RECORD's own line is {recorded.get(member)}")
            continue
        digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
        if recorded.get(member) != [f"sha256={digest}", str(len(data))]:
            problems.append(f"{name}: RECORD has {recorded.get(member)} for {member}")
    if "kelvane._pyinstaller:get_hook_dirs" not in contents.get(f"{dist_info}/entry_points.txt", b"").decode():
        problems.append(f"{name}: entry_points.txt lacks the PyInstaller hook")
    metadata = contents.get(f"{dist_info}/METADATA", b"").decode()
    if f"Name: kelvane\n" not in metadata or f"Version: {version}\n" not in metadata:
        problems.append(f"{name}: METADATA lacks its name or version")

    with tempfile.TemporaryDirectory() as folder:
        files = []
        for member in LIBRARY_FILES:
            if member in contents:
                file = os.path.join(folder, member.replace("/", "_"))
                Path(file).write_bytes(contents[member])
                files.append((member, file))
        if platform.startswith("manylinux"):
            for member, file in files:
                problems += [f"{name}: {p}" for p in check_elf(file, member)]
            required = max((glibc_requirement(f) or 0 for _, f in files), default=0)
            problems += [f"{name}: {p}" for p in check_manylinux_tags(platform.split("."), required)]
        elif platform in WINDOWS:
            for member, file in files:
                problems += [f"{name}: {p}" for p in check_pe(file, member, platform)]
                build = windows_builds.get(platform)
                if build:
                    built = os.path.join(build, "virtual" if "/virtual/" in member else "bin", LIBRARY_NAME)
                    if Path(built).read_bytes() != contents[member]:
                        problems.append(f"{name}: {member} is not {built}")
        else:
            problems.append(f"{name}: unknown platform {platform}")
    return problems


def manylinux_glibc(tag: str) -> Optional[int]:
    """N of glibc 2.N that an x86-64 manylinux tag stands for, None for any other tag."""
    match = re.fullmatch(r"manylinux_2_(\d+)_x86_64", tag)
    if match:
        return int(match.group(1))
    policy = re.fullmatch(r"(manylinux\w+)_x86_64", tag)
    return LEGACY_MANYLINUX.get(policy.group(1)) if policy else None


def check_manylinux_tags(tags: List[str], required: int) -> List[str]:
    """The problems of a Linux wheel's tags for files that need GLIBC_2.<required>."""
    problems = []
    glibcs = []
    for tag in tags:
        glibc = manylinux_glibc(tag)
        if glibc is None:
            problems.append(f"platform {tag} is not manylinux_2_<N>_x86_64 nor a manylinux policy's tag")
            continue
        glibcs.append(glibc)
        if glibc < required:
            problems.append(f"tagged {tag} (glibc 2.{glibc}), the files need GLIBC_2.{required}")
        if glibc > NEWEST_GLIBC:
            problems.append(f"tagged {tag} (glibc 2.{glibc}), newer than manylinux2014 (glibc 2.{NEWEST_GLIBC})")
    if glibcs and min(glibcs) > required:
        problems.append(f"tagged for glibc 2.{min(glibcs)} at the oldest, the files need only GLIBC_2.{required}")
    return problems


def check_sdist(path: str) -> List[str]:
    name = os.path.basename(path)
    base = name[:-len(".tar.gz")]
    with tarfile.open(path) as archive:
        members = {m.name for m in archive.getmembers() if m.isfile()}
    wanted = [f"{base}/{f}" for f in ("PKG-INFO", "pyproject.toml", "build_backend/kelvane_build.py",
                                      "source/CMakeLists.txt", "source/LICENSE", "source/library/kelvane.h",
                                      "source/library/exports.list")]
    wanted += [f"{base}/{m}" for m in package_modules()]
    problems = [f"{name} lacks {w}" for w in wanted if w not in members]
    problems += [f"{name} holds {m}" for m in sorted(members) if not m.startswith(f"{base}/")
                 or re.search(r"/(build(-[^/]*)?|dist|__pycache__|\.git)/|^[^/]+/source/python/", m)]
    return problems


def spoilt_copies(wheel: str, folder: str) -> Dict[str, Tuple[str, Optional[str]]]:
    """Copies of a Linux wheel, each spoilt in one way, with a RECORD that matches:
    {fault: (path, what each of the check's problems with it must say)}; and
    unspoilt copies, re-zipped as the others are, under the fault None."""
    with zipfile.ZipFile(wheel) as archive:
        contents = {n: archive.read(n) for n in archive.namelist()}
    version = re.search(r"kelvane-([^-]+)-", os.path.basename(wheel)).group(1)
    dist_info = f"kelvane-{version}.dist-info"
    required = int(re.search(r"manylinux_2_(\d+)_", wheel).group(1))
    platform = re.search(r"py3-none-(.*)\.whl", wheel).group(1)

    def write(label: str, files: Dict[str, bytes], platform: str, fix_record: bool = True) -> str:
        files = dict(files)
        if fix_record:
            lines = []
            for member, data in files.items():
                if member != f"{dist_info}/RECORD":
                    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
                    lines.append(f"{member},sha256={digest},{len(data)}")
            files[f"{dist_info}/RECORD"] = ("\n".join(lines + [f"{dist_info}/RECORD,,"]) + "\n").encode()
        path = os.path.join(folder, label, f"kelvane-{version}-py3-none-{platform}.whl")
        os.makedirs(os.path.dirname(path))
        with zipfile.ZipFile(path, "w") as archive:
            for member, data in files.items():
                archive.writestr(member, data)
        return path

    def retagged(files: Dict[str, bytes], platform: str) -> Dict[str, bytes]:
        lines = [line for line in files[f"{dist_info}/WHEEL"].decode().splitlines() if not line.startswith("Tag: ")]
        lines += [f"Tag: py3-none-{p}" for p in platform.split(".")]
        return {**files, f"{dist_info}/WHEEL": ("\n".join(lines) + "\n").encode()}

    def patched(files: Dict[str, bytes], members: List[str], old: bytes, new: bytes) -> Dict[str, bytes]:
        """The files with a string of the members' dynamic string tables replaced by one as long,
        in those of the members that hold it (one at least)."""
        assert len(old) == len(new)
        files = dict(files)
        holding = [member for member in members if old in files[member]]
        if not holding:
            raise RuntimeError(f"none of {members} holds {old!r} to spoil")
        for member in holding:
            files[member] = files[member].replace(old, new)
        return files

    lower = f"manylinux_2_{required - 1}_x86_64"
    # The files' newest symbol version renamed GLIBC_2.18, under a tag that says so.
    newer = patched(contents, LIBRARY_FILES, f"GLIBC_2.{required}\0".encode(), b"GLIBC_2.18\0")
    # The virtual flavour's NEEDED libpthread.so.0 turned into a second libc.so.6.
    no_pthread = patched(contents, LIBRARY_FILES[1:], b"libpthread.so.0\0", b"libc.so.6".ljust(16, b"\0"))
    no_virtual = {k: v for k, v in contents.items() if k != LIBRARY_FILES[1]}
    changed = dict(contents)
    changed["kelvane/chip.py"] = contents["kelvane/chip.py"] + b"\n"
    purelib = dict(contents)
    purelib[f"{dist_info}/WHEEL"] = contents[f"{dist_info}/WHEEL"].replace(b"Purelib: false", b"Purelib: true")
    return {
        "nothing (re-zipped, its RECORD as it was)": (write("unspoilt", contents, platform, fix_record=False), None),
        "nothing (re-zipped, its RECORD written anew)": (write("unspoilt-record", contents, platform), None),
        "a lower manylinux tag": (write("lower-tag", retagged(contents, lower), lower), "the files need GLIBC_2"),
        "files that need glibc 2.18, tagged for it": (
            write("newer-glibc", retagged(newer, "manylinux_2_18_x86_64"), "manylinux_2_18_x86_64"),
            "newer than manylinux2014"),
        "a library that does not need libpthread": (write("no-pthread", no_pthread, platform),
                                                    "but not libpthread.so.0"),
        "a file that RECORD does not describe": (write("changed-file", changed, platform, fix_record=False),
                                                 "RECORD has"),
        "no virtual flavour": (write("no-virtual", no_virtual, platform), "files differ"),
        "Root-Is-Purelib: true": (write("purelib", purelib, platform), "Root-Is-Purelib: false"),
    }


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("dist")
    parser.add_argument("--windows-build", action="append", default=[], metavar="PLATFORM=FOLDER")
    parser.add_argument("--refuses-faults", action="store_true")
    options = parser.parse_args()
    windows_builds = dict(item.split("=", 1) for item in options.windows_build)
    version = package_version()
    wheels = sorted(str(p) for p in Path(options.dist).glob(f"kelvane-{version}-*.whl"))
    linux = [w for w in wheels if "-manylinux_" in w]
    if options.refuses_faults:
        if len(linux) != 1:
            print(f"want one Linux wheel in {options.dist}, found {linux}")
            return 1
        failures = 0
        with tempfile.TemporaryDirectory() as folder:
            for fault, (copy, reason) in spoilt_copies(linux[0], folder).items():
                problems = check_wheel(copy, {})
                others = [p for p in problems if reason is None or reason not in p]
                if reason is None and not problems:
                    print(f"accepted, with {fault}")
                elif reason is None:
                    print(f"FAIL: a wheel with {fault} is refused: {problems}")
                    failures += 1
                elif not problems:
                    print(f"FAIL: a wheel with {fault} is not refused ({reason!r})")
                    failures += 1
                elif others:
                    print(f"FAIL: a wheel with {fault} is refused for other faults too, or only for them "
                          f"(want only {reason!r}): {others}")
                    failures += 1
                else:
                    print(f"refused, with {fault}: {problems[0]}")
        return 1 if failures else 0

    problems = []
    platforms = sorted(re.search(r"py3-none-(.*)\.whl", w).group(1).split("_2_")[0] for w in wheels)
    if platforms != ["manylinux", "win32", "win_amd64"]:
        problems.append(f"wheels for {platforms}, not for manylinux, win32 and win_amd64")
    for wheel in wheels:
        found = check_wheel(wheel, windows_builds)
        problems += found
        if not found:
            print(f"{os.path.basename(wheel)}: checked")
    sdist = os.path.join(options.dist, f"kelvane-{version}.tar.gz")
    if os.path.isfile(sdist):
        found = check_sdist(sdist)
        problems += found
        if not found:
            print(f"{os.path.basename(sdist)}: checked")
    else:
        problems.append(f"no {sdist}")
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
