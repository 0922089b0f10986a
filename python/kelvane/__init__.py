"""Python access to the Kelvane USB bridge through KelvaneDLL-UM_x86.

Quick start::

    import kelvane

    print(kelvane.list_chips())                 # [ChipInfo(index=0, serial='KV000001', path=...)]
    with kelvane.open() as chip:                # chip 0; open(serial="KV000001") also works
        print(chip.i2c_read(0x50, 4))           # 7-bit addresses throughout
    with kelvane.SMBus() as bus:                # for SMBus-style sensor code
        print(bus.read_byte_data(0x0B, 0x10))

CircuitPython-style code uses ``kelvane.board``, ``kelvane.busio``,
``kelvane.digitalio`` and ``kelvane.analogio`` (``from kelvane import board,
busio``). Failures raise :class:`KelvaneError` subclasses (see
:mod:`kelvane.errors`); those of transfers and chips are OSError with Linux's
errno. The library is found as :func:`load_library` describes;
``library.NAME`` gives the raw exports with their ctypes prototypes.
"""

from ._exports import EXPORTS
from .chip import (
    DEFAULT_PID,
    DEFAULT_SPEED,
    DEFAULT_VID,
    Chip,
    ChipInfo,
    Direction,
    InitialPin,
    PinConfiguration,
    PowerSource,
    ProtectionState,
    Target,
    list_chips,
    open,  # kelvane.open; left out of __all__ so that a star import keeps the built-in open
    wait_for_chip,
)
from .errors import (
    ArgumentError,
    ChipBusyError,
    ChipStatusError,
    DeviceNotFoundError,
    FlashLockedError,
    KelvaneError,
    LibraryNotFoundError,
    NackError,
    NotGpioError,
    PasswordRejectedError,
    PecError,
    SettingsError,
    TransferError,
    TransferTimeoutError,
    UnsupportedError,
)
from .library import LIBRARY_NAME, LIBRARY_VARIABLE, VIRTUAL, Library, library_path, load_library
from .smbus import I2cFunc, SMBus, i2c_msg
# The CircuitPython-style modules, also reachable as attributes of the package.
from . import analogio, board, busio, digitalio

__version__ = "1.0.2"

__all__ = [
    "ArgumentError",
    "Chip",
    "ChipBusyError",
    "ChipInfo",
    "ChipStatusError",
    "DEFAULT_PID",
    "DEFAULT_SPEED",
    "DEFAULT_VID",
    "DeviceNotFoundError",
    "Direction",
    "EXPORTS",
    "I2cFunc",
    "FlashLockedError",
    "InitialPin",
    "KelvaneError",
    "LIBRARY_NAME",
    "LIBRARY_VARIABLE",
    "Library",
    "LibraryNotFoundError",
    "NackError",
    "NotGpioError",
    "PasswordRejectedError",
    "PecError",
    "PinConfiguration",
    "PowerSource",
    "ProtectionState",
    "SMBus",
    "SettingsError",
    "Target",
    "TransferError",
    "TransferTimeoutError",
    "UnsupportedError",
    "VIRTUAL",
    "library_path",
    "analogio",
    "board",
    "busio",
    "digitalio",
    "i2c_msg",
    "list_chips",
    "load_library",
    "wait_for_chip",
]
