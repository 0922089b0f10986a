"""Exceptions raised instead of the library's result codes.

Every exception is a :class:`KelvaneError` carrying ``code`` (the library's
result code, or ``None`` when the fault was found before the library was
called), ``text`` (the text that KelvaneCLI's exit-code page shows for the
code, where it has one) and ``function`` (the export or method concerned).

Failures of a transfer, of the report channel or of the chip are also
:class:`OSError` with ``errno`` set as Linux's I2C stack sets it (a NACK is
``EREMOTEIO``, 121), so that code written for SMBus or CircuitPython buses
catches them as it catches its own. Argument errors are :class:`ValueError`.
"""

import builtins
import errno as _errno
from typing import Dict, Optional, Type

#: Linux's errno for a transfer the slave did not acknowledge. Windows has no
#: such constant; the number is Linux's there too.
EREMOTEIO: int = getattr(_errno, "EREMOTEIO", 121)

#: Texts of the exit-code page for the codes that have one.
CODE_TEXTS: Dict[int, str] = {
    -4: "Kelvane write failed",
    -5: "Kelvane read failed",
    -8: "Command failed",
    -11: "SMBus slave data NACK received",
    -12: "Wrong PEC (SMBus only)",
    -17: "Error copying memory",
    -18: "Timeout",
    -19: "I2C/SMBus send Error",
    -21: "Error setting I2C/SMBus speed",
    -22: "Invalid I2C status",
    -23: "Address NACK received",
    -24: "Transfer wasn't possible",
    -25: "Command failed",
    -26: "Could not read data",
    -27: "Received more data bytes than requested",
}

# What the codes without a page text mean.
_MEANINGS: Dict[int, str] = {
    -2: "device index not below the device count",
    -6: "the response does not echo the request's command code",
    -9: "the reference selector read from the chip has no reference number",
    -10: "the pin is not working as a GPIO",
    -13: "the flash settings are permanently locked",
    -14: "the chip rejected the access password",
    -15: "the power attributes show neither bus nor self power",
    -28: "the chip is busy: another program held it for the whole wait",
}


class KelvaneError(Exception):
    """A failure reported by the library or found by this package.

    Attributes:
        code: the library's result code (negative, or the chip's status byte
            1 to 255), or ``None`` when the library was not called.
        text: the exit-code page text of the code, or ``None``.
        function: the export or method that failed, or ``None``.
    """

    #: The errno of the classes that are also OSError.
    default_errno: Optional[int] = None

    def __init__(self, message: Optional[str] = None, *, code: Optional[int] = None,
                 function: Optional[str] = None, errno: Optional[int] = None) -> None:
        self.code = code
        self.text = CODE_TEXTS.get(code) if code is not None else None
        self.function = function
        if message is None:
            message = describe(code) if code is not None else "failed"
        if code is not None:
            message = f"{message} (code {code})"
        if function:
            message = f"{function}: {message}"
        super().__init__(message)
        if isinstance(self, OSError):
            self.errno = errno if errno is not None else self.default_errno
            self.strerror = message

    def __str__(self) -> str:
        # The message alone, also for the OSError classes (no "[Errno n]").
        return str(self.args[0]) if self.args else ""


class LibraryNotFoundError(KelvaneError, OSError):
    """The library file could not be loaded from any of the places tried."""


class ArgumentError(KelvaneError, ValueError):
    """An argument is out of range or missing (codes -201 to -204)."""


class DeviceNotFoundError(KelvaneError, OSError):
    """No chip at that index or with that serial number, or the chip is gone (code -2). ``ENODEV``."""

    default_errno = _errno.ENODEV


class ChipStatusError(KelvaneError, OSError):
    """The chip answered a non-zero status byte (codes 1 to 255). ``EIO``."""

    default_errno = _errno.EIO

    @property
    def status(self) -> Optional[int]:
        """The chip's status byte."""
        return self.code


class NotGpioError(KelvaneError, OSError):
    """The pin is not working as a GPIO (code -10). ``EBUSY``: another function holds it."""

    default_errno = _errno.EBUSY


class SettingsError(KelvaneError, OSError):
    """A setting read from the chip has no meaning (codes -9, -15). ``EPROTO``."""

    default_errno = _errno.EPROTO


class FlashLockedError(KelvaneError, OSError):
    """The flash settings are permanently locked (code -13). ``EROFS``."""

    default_errno = _errno.EROFS


class PasswordRejectedError(KelvaneError, OSError):
    """The chip rejected the access password (code -14). ``EACCES``."""

    default_errno = _errno.EACCES


class UnsupportedError(KelvaneError, OSError, NotImplementedError):
    """The chip's transfers cannot carry out this operation. ``EOPNOTSUPP``."""

    default_errno = _errno.EOPNOTSUPP


class TransferError(KelvaneError, OSError):
    """A report or a bus transfer failed (codes -4 to -8, -17 to -27). ``EIO``."""

    default_errno = _errno.EIO


class NackError(TransferError):
    """The slave did not acknowledge (codes -23 and -11). ``EREMOTEIO`` (121)."""

    default_errno = EREMOTEIO


class PecError(TransferError):
    """Computed and received packet error codes differ (code -12). ``EBADMSG``."""

    default_errno = _errno.EBADMSG


class TransferTimeoutError(TransferError, builtins.TimeoutError):
    """The chip's I2C engine reported a failure state or did not finish (code -18). ``ETIMEDOUT``."""

    default_errno = _errno.ETIMEDOUT


class ChipBusyError(KelvaneError, OSError):
    """Another program held the chip for the library's whole wait, 35 s (code
    -28); nothing was sent. ``EBUSY``."""

    default_errno = _errno.EBUSY


_CLASSES: Dict[int, Type[KelvaneError]] = {
    -2: DeviceNotFoundError,
    -9: SettingsError,
    -10: NotGpioError,
    -11: NackError,
    -12: PecError,
    -13: FlashLockedError,
    -14: PasswordRejectedError,
    -15: SettingsError,
    -18: TransferTimeoutError,
    -23: NackError,
    -28: ChipBusyError,
}
for _code in (-4, -5, -6, -8, -17, -19, -21, -22, -24, -25, -26, -27):
    _CLASSES[_code] = TransferError
for _code in (-201, -202, -203, -204):
    _CLASSES[_code] = ArgumentError


def describe(code: int) -> str:
    """A short description of a result code."""
    if code in CODE_TEXTS:
        return CODE_TEXTS[code]
    if code in _MEANINGS:
        return _MEANINGS[code]
    if -204 <= code <= -201:
        return f"argument {-200 - code} out of range or missing"
    if 1 <= code <= 255:
        return f"the chip answered status 0x{code:02X}"
    return "unknown result code"


def error_for(code: int, function: Optional[str] = None, message: Optional[str] = None) -> KelvaneError:
    """The exception for a non-zero result code of ``function``."""
    if 1 <= code <= 255:
        cls: Type[KelvaneError] = ChipStatusError
    else:
        cls = _CLASSES.get(code, KelvaneError)
    return cls(message, code=code, function=function)
