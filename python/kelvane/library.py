"""Finding and loading KelvaneDLL-UM_x86, and its 70 exports.

The library is looked for in this order:

1. an explicit path handed to :func:`load_library` (or as ``library=`` to the
   high-level calls);
2. the path in the environment variable ``KELVANE_LIBRARY``;
3. the library inside this package (``kelvane/lib/``), which the wheels
   carry (:func:`library_path`);
4. the system loader's search for ``KelvaneDLL-UM_x86.dll`` (the installed
   library: ``LD_LIBRARY_PATH`` and the loader's directories on Linux, the
   standard DLL search order including ``PATH`` on Windows); on Linux, when
   the loader does not find it, the library directories of the prefixes
   ``/usr/local`` and ``/usr`` where ``cmake --install`` and the Debian
   package put it (the loader's cache lists only files named ``lib*.so*``,
   so it never finds the library in ``/usr/local/lib`` by itself).

In 1 and 2 the word ``virtual`` (:data:`VIRTUAL`) stands for the package's
own virtual-chip flavour (``kelvane/lib/virtual/``): ``KELVANE_LIBRARY=virtual``
runs a program on virtual chips with nothing but the installed wheel.

The first place that is given decides: an explicit path, a
``KELVANE_LIBRARY`` or a library inside the package that cannot be loaded raises
:class:`~kelvane.errors.LibraryNotFoundError` rather than silently falling
back to another library (which might drive real chips where a virtual bench
was meant). The exception names every place tried and why each failed.
"""

import ctypes
import os
import struct
import sys
import sysconfig
import threading
from typing import Any, Callable, Dict, List, Optional, Tuple, Union

from ._exports import EXPORTS
from .errors import ArgumentError, LibraryNotFoundError, error_for

#: The library's file name, the same on every platform.
LIBRARY_NAME = "KelvaneDLL-UM_x86.dll"
#: The environment variable that names the library file.
LIBRARY_VARIABLE = "KELVANE_LIBRARY"
#: What names the package's own virtual-chip flavour, as a path or in KELVANE_LIBRARY.
VIRTUAL = "virtual"
#: Where a wheel puts the library (and ``virtual/`` the virtual-chip flavour).
PACKAGE_LIBRARY_DIRECTORY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib")

PathLike = Union[str, "os.PathLike[str]"]


def _installed_directories() -> List[str]:
    """The library directories of an installation, where the loader may not look."""
    if not sys.platform.startswith("linux"):
        return []
    multiarch = sysconfig.get_config_var("MULTIARCH") or ""
    directories = []
    for prefix in ("/usr/local", "/usr"):
        directories.append(os.path.join(prefix, "lib"))
        if multiarch:
            directories.append(os.path.join(prefix, "lib", multiarch))
    return directories


#: Where an installed library is looked for after the system loader's search.
INSTALLED_DIRECTORIES: List[str] = _installed_directories()


def library_path(virtual: bool = False) -> str:
    """The path of the library file inside this package.

    Args:
        virtual: the virtual-chip flavour instead of the one that drives chips.

    Raises:
        LibraryNotFoundError: the package carries no library (it was installed
            from its source folder rather than from a wheel, or the file is gone).
    """
    path = os.path.join(PACKAGE_LIBRARY_DIRECTORY, *((VIRTUAL,) if virtual else ()), LIBRARY_NAME)
    if not os.path.isfile(path):
        raise LibraryNotFoundError(f"this kelvane package carries no library: no such file: {path}")
    return path


def _uses_stdcall(platform: str = sys.platform, pointer_size: int = struct.calcsize("P")) -> bool:
    """True in a 32-bit Windows process, where the exports are __stdcall."""
    return platform == "win32" and pointer_size == 4


def _open(path: str) -> Any:
    """Loads one library file with the calling convention of this process."""
    if sys.platform == "win32":
        # winmode=0: the standard search order (PATH included) for a bare
        # name; an absolute path is loaded as it stands.
        loader = ctypes.WinDLL if _uses_stdcall() else ctypes.CDLL  # type: ignore[attr-defined]
        return loader(path, winmode=0)
    return ctypes.CDLL(path)


class Library:
    """One loaded KelvaneDLL-UM_x86 with the ctypes prototypes of its exports.

    Every export is an attribute under its own name, with the argument and
    result types of ``library/kelvane.h``: ``lib.GetDevCount()``,
    ``lib.ReadI2cData(0xA1, buffer, 4, 100000)``. These low-level calls return
    the library's result codes unchanged.

    The library runs one call at a time, from whatever thread, but keeps one
    process-wide selection of the chip it works on. The high-level objects
    (:class:`~kelvane.Chip`, :class:`~kelvane.SMBus`, the CircuitPython-style
    ones) take :attr:`lock` around each operation, its selection included, so
    that they may be shared between threads; code that calls the exports
    directly and relies on a selection takes it around its sequence too.
    """

    def __init__(self, handle: Any, path: str) -> None:
        self._handle = handle
        #: What was loaded: a file path, or the bare name found by the system loader.
        self.path = path
        #: Serialises the calls into the library.
        self.lock = threading.RLock()
        missing = [name for name in EXPORTS if not hasattr(handle, name)]
        if missing:
            raise LibraryNotFoundError(f"{path} lacks the exports {', '.join(missing)}")
        self._functions: Dict[str, Callable[..., Any]] = {}
        for name, prototype in EXPORTS.items():
            function = getattr(handle, name)
            function.restype = prototype.restype
            function.argtypes = list(prototype.argtypes)
            self._functions[name] = function
        # The identifiers the library was last initialised with, and the chip
        # object that the library's selection currently belongs to.
        self._identifiers: Optional[Tuple[int, int]] = None
        self._owner: Optional[object] = None

    def __getattr__(self, name: str) -> Callable[..., Any]:
        functions = self.__dict__.get("_functions")
        if functions is not None and name in functions:
            return functions[name]
        raise AttributeError(f"{type(self).__name__} has no attribute {name!r}")

    def __dir__(self) -> List[str]:
        return sorted(set(super().__dir__()) | set(EXPORTS))

    def __repr__(self) -> str:
        return f"<kelvane.Library {self.path!r}>"

    def check(self, name: str, result: int) -> int:
        """Raises the exception for a non-zero ``result`` of export ``name``; returns 0."""
        if result == 0:
            return 0
        message = None
        if -204 <= result <= -201:
            position = -200 - result
            params = EXPORTS[name].params
            if position <= len(params):
                message = f"argument {position} ({params[position - 1][0]}) out of range or missing"
        raise error_for(result, name, message)

    def call(self, name: str, *args: Any) -> Any:
        """Calls export ``name`` under :attr:`lock` and returns its result."""
        with self.lock:
            return self._functions[name](*args)

    def initialise(self, vid: int, pid: int) -> None:
        """Makes the library look for chips with these identifiers.

        ``DllInitCustom`` resets the library's selection and the access
        password it remembers, so it runs only when the identifiers change.
        """
        for name, value in (("vid", vid), ("pid", pid)):
            if not isinstance(value, int) or not 0 <= value <= 0xFFFF:
                raise ArgumentError(f"{name} must be 0 to 0xFFFF, not {value!r}", function="DllInitCustom")
        with self.lock:
            if self._identifiers != (vid, pid):
                self._functions["DllInitCustom"](vid, pid)
                self._identifiers = (vid, pid)
                self._owner = None


_loaded: Dict[str, Library] = {}
_loaded_lock = threading.Lock()


def _load(path: str) -> Library:
    with _loaded_lock:
        library = _loaded.get(path)
        if library is None:
            library = Library(_open(path), path)
            _loaded[path] = library
        return library


def _named(name: str) -> str:
    """The file that an explicit path or KELVANE_LIBRARY names."""
    if name == VIRTUAL:
        return library_path(virtual=True)
    return os.path.abspath(name)


def load_library(path: Optional[PathLike] = None) -> Library:
    """Loads the library (or returns the one already loaded from the same place).

    Args:
        path: the library file, or ``"virtual"`` for the package's own
            virtual-chip flavour; when ``None``, ``KELVANE_LIBRARY`` (a path
            or ``virtual``), the library inside the package and then the
            system loader's search for :data:`LIBRARY_NAME` are used.

    Raises:
        LibraryNotFoundError: naming every place tried and why it failed.
    """
    tried: List[str] = []
    candidate: Optional[str] = None
    failure: Optional[OSError] = None
    if path is not None:
        source = f"explicit path {os.fspath(path)!r}"
        name: Optional[str] = os.fspath(path)
    else:
        tried.append("explicit path: none given")
        name = os.environ.get(LIBRARY_VARIABLE, "") or None
        if name is not None:
            source = f"{LIBRARY_VARIABLE}={name!r}"
        else:
            tried.append(f"{LIBRARY_VARIABLE}: not set")
    if name is not None:
        try:
            candidate = _named(name)
            if not os.path.isfile(candidate):
                raise OSError(f"no such file: {candidate}")
            return _load(os.path.realpath(candidate))
        except OSError as error:  # LibraryNotFoundError is an OSError too
            tried.append(f"{source}: {error}")
            raise LibraryNotFoundError(f"could not load {LIBRARY_NAME}; tried " + "; ".join(tried)) from error
    bundled = os.path.join(PACKAGE_LIBRARY_DIRECTORY, LIBRARY_NAME)
    if os.path.isfile(bundled):
        # A package that carries a library uses it: a broken wheel is an
        # error, not a reason to drive chips through some other library.
        try:
            return _load(os.path.realpath(bundled))
        except OSError as error:
            tried.append(f"the package's library {bundled}: {error}")
            raise LibraryNotFoundError(f"could not load {LIBRARY_NAME}; tried " + "; ".join(tried)) from error
    tried.append(f"the package's library: no {bundled}")
    try:
        return _load(LIBRARY_NAME)
    except OSError as error:
        tried.append(f"the system loader's search for {LIBRARY_NAME!r}: {error}")
        failure = error
    for directory in INSTALLED_DIRECTORIES:
        installed = os.path.join(directory, LIBRARY_NAME)
        if not os.path.isfile(installed):
            continue
        try:
            return _load(os.path.realpath(installed))
        except OSError as error:
            tried.append(f"{installed}: {error}")
            failure = error
    if INSTALLED_DIRECTORIES:
        tried.append("the installed library in " + ", ".join(INSTALLED_DIRECTORIES) + ": none there")
    raise LibraryNotFoundError(f"could not load {LIBRARY_NAME}; tried " + "; ".join(tried)) from failure


def resolve_library(library: Union[None, PathLike, Library]) -> Library:
    """The :class:`Library` for a ``library=`` argument: ``None``, a path, ``"virtual"`` or a Library."""
    if isinstance(library, Library):
        return library
    return load_library(library)
