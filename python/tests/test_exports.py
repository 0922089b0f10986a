"""The ctypes prototypes against library/kelvane.h and the export list."""

import re
from ctypes import POINTER, c_char, c_char_p, c_int, c_longlong, c_ubyte, c_uint, c_uint16, c_ushort

import kelvane
from kelvane._exports import EXPORTS

from conftest import REPOSITORY

# How each C type of the header crosses into ctypes. A type missing here
# fails the test: a new parameter type needs a deliberate mapping.
C_TO_CTYPES = {
    "void": None,
    "int": c_int,
    "unsigned char": c_ubyte,
    "unsigned short": c_ushort,
    "unsigned int": c_uint,
    "long long": c_longlong,
    "KelvaneChar*": POINTER(c_uint16),
    "const KelvaneChar*": POINTER(c_uint16),
    "unsigned char*": POINTER(c_ubyte),
    "const unsigned char*": POINTER(c_ubyte),
    "unsigned short*": POINTER(c_ushort),
    "char*": POINTER(c_char),
    "const char*": c_char_p,
}


def _normalise(c_type: str) -> str:
    return re.sub(r"\s*\*", "*", " ".join(c_type.split()))


def header_prototypes():
    text = (REPOSITORY / "library" / "kelvane.h").read_text()
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    prototypes = {}
    for restype, name, params in re.findall(r"KELVANE_API\s+([^;()]+?)\s+KELVANE_CALL\s+(\w+)\s*\(([^)]*)\)\s*;",
                                            text):
        parsed = []
        if params.strip() != "void":
            for param in params.split(","):
                match = re.fullmatch(r"(.+?[\s*])(\w+)", param.strip(), flags=re.S)
                assert match, f"{name}: cannot read parameter {param!r}"
                parsed.append((match.group(2), _normalise(match.group(1))))
        prototypes[name] = (_normalise(restype), parsed)
    return prototypes


def test_every_export_of_the_header_has_its_exact_prototype():
    header = header_prototypes()
    assert len(header) == 70
    assert set(EXPORTS) == set(header)
    for name, (restype, params) in header.items():
        prototype = EXPORTS[name]
        assert prototype.restype is C_TO_CTYPES[restype], name
        assert [p for p, _ in prototype.params] == [p for p, _ in params], name
        assert list(prototype.argtypes) == [C_TO_CTYPES[t] for _, t in params], name


def test_names_match_the_export_list():
    lines = (REPOSITORY / "library" / "exports.list").read_text().splitlines()
    listed = {line.split()[0] for line in lines if re.match(r"[A-Za-z]", line)}
    assert listed == set(EXPORTS)


def test_loaded_library_carries_the_prototypes():
    library = kelvane.load_library()
    for name, prototype in EXPORTS.items():
        function = getattr(library, name)
        assert function.restype is prototype.restype, name
        assert list(function.argtypes) == list(prototype.argtypes), name
