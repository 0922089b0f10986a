"""The library's 70 exports with their C prototypes as ctypes types.

``EXPORTS`` maps every exported name to its result type and its parameters
(name and ctypes type, in order), exactly as ``library/kelvane.h`` declares
them. Chip strings are 16-bit code units on every platform (``c_uint16``),
whatever width the platform gives ``wchar_t``.
"""

from ctypes import POINTER, c_char, c_char_p, c_int, c_longlong, c_ubyte, c_uint, c_uint16, c_ushort
from typing import Any, Dict, NamedTuple, Optional, Tuple

#: A chip string: terminated UTF-16 code units.
ChipString = POINTER(c_uint16)
#: A byte array owned by the caller.
Bytes = POINTER(c_ubyte)
#: A narrow character buffer that the library fills.
CharBuffer = POINTER(c_char)


class Prototype(NamedTuple):
    """Result type (``None`` for void) and ``(name, type)`` of each parameter."""

    restype: Optional[Any]
    params: Tuple[Tuple[str, Any], ...]

    @property
    def argtypes(self) -> Tuple[Any, ...]:
        return tuple(kind for _, kind in self.params)


def _p(restype: Optional[Any], *params: Tuple[str, Any]) -> Prototype:
    return Prototype(restype, tuple(params))


_TARGET = ("target", c_int)

EXPORTS: Dict[str, Prototype] = {
    # Initialisation and connection.
    "DllInitCustom": _p(c_int, ("vendorId", c_int), ("productId", c_int)),
    "DllInit": _p(c_int),
    "DllCleanUp": _p(None),
    "GetConnectionStatus": _p(c_ubyte),
    # USB strings and serial numbers.
    "GetUsbStringDescriptor": _p(c_int, ("buffer", ChipString)),
    "GetUsbStringManufacturer": _p(c_int, ("buffer", ChipString)),
    "GetSerialNumber": _p(c_int, ("buffer", ChipString)),
    "GetFactorySerialNumber": _p(c_int, ("buffer", ChipString)),
    "SetUsbStringDescriptor": _p(c_int, ("text", ChipString)),
    "SetUsbStringManufacturer": _p(c_int, ("text", ChipString)),
    "SetSerialNumber": _p(c_int, ("text", ChipString)),
    # USB settings (flash).
    "GetSerialNumberEnumerationEnable": _p(c_int),
    "SetSerialNumberEnumerationEnable": _p(c_int, ("enable", c_ubyte)),
    "GetUsbCurrentRequirement": _p(c_int),
    "SetUsbCurrentRequirement": _p(c_int, ("milliamperes", c_int)),
    "GetUsbPowerSource": _p(c_int),
    "SetUsbPowerSource": _p(c_int, ("source", c_int)),
    "GetUsbRemoteWakeupEnable": _p(c_int),
    "SetUsbRemoteWakeupEnable": _p(c_int, ("enable", c_ubyte)),
    "GetUsbVid": _p(c_longlong),
    "GetUsbPid": _p(c_longlong),
    "SetUsbVidPid": _p(c_int, ("vendorId", c_ushort), ("productId", c_ushort)),
    # Pin functions.
    "GetGpPinConfiguration": _p(c_int, _TARGET, ("designation", Bytes), ("direction", Bytes), ("value", Bytes)),
    "SetGpPinConfiguration": _p(c_int, _TARGET, ("designation", Bytes), ("direction", Bytes), ("value", Bytes)),
    "GetGpPinDirection": _p(c_int, _TARGET, ("pin", c_ubyte)),
    "SetGpPinDirection": _p(c_int, _TARGET, ("pin", c_ubyte), ("direction", c_ubyte)),
    "GetInterruptPinMode": _p(c_int, _TARGET),
    "SetInterruptPinMode": _p(c_int, _TARGET, ("mode", c_int)),
    "GetDacVoltageReference": _p(c_int),
    "SetDacVoltageReference": _p(c_int, ("reference", c_int)),
    "GetDacValue": _p(c_int),
    "SetDacValue": _p(c_int, ("value", c_int)),
    "GetAdcVoltageReference": _p(c_int),
    "SetAdcVoltageReference": _p(c_int, ("reference", c_int)),
    "GetClockPinDividerValue": _p(c_int, _TARGET),
    "GetClockPinDutyCycle": _p(c_int, _TARGET),
    "SetClockPinConfiguration": _p(c_int, _TARGET, ("divider", c_int), ("dutyCycle", c_int)),
    "ClearInterruptPinState": _p(c_int),
    # Power-up values of the dedicated pin functions (flash).
    "GetInitialPinValueLedUartTx": _p(c_int),
    "SetInitialPinValueLedUartTx": _p(c_int, ("value", c_int)),
    "GetInitialPinValueLedUartRx": _p(c_int),
    "SetInitialPinValueLedUartRx": _p(c_int, ("value", c_int)),
    "GetInitialPinValueLedI2c": _p(c_int),
    "SetInitialPinValueLedI2c": _p(c_int, ("value", c_int)),
    "GetInitialPinValueSspnd": _p(c_int),
    "SetInitialPinValueSspnd": _p(c_int, ("value", c_int)),
    "GetInitialPinValueUsbcfg": _p(c_int),
    "SetInitialPinValueUsbcfg": _p(c_int, ("value", c_int)),
    # Flash protection and access password.
    "GetFlashProtectionState": _p(c_int),
    "SetFlashPermanentLock": _p(c_int),
    "SetFlashPasswordProtection": _p(c_int, ("password", c_char_p)),
    "SetFlashProtectionOff": _p(c_int),
    "EnterAccessPassword": _p(c_int, ("password", c_char_p)),
    # GPIO.
    "ReadGpioPinValue": _p(c_int, ("pin", c_ubyte)),
    "WriteGpioPinValue": _p(c_int, ("pin", c_ubyte), ("value", c_ubyte)),
    # Versions.
    "GetFirmwareVersion": _p(c_int, ("buffer", CharBuffer)),
    "GetHardwareVersion": _p(c_int, ("buffer", CharBuffer)),
    # Status and operations.
    "ResetDevice": _p(c_int),
    "GetAdcData": _p(c_int, ("values", POINTER(c_ushort))),
    "StopI2cDataTransfer": _p(c_int),
    "GetSclLineValue": _p(c_int),
    "GetSdaLineValue": _p(c_int),
    # I2C and SMBus transfers.
    "WriteI2cData": _p(c_int, ("address", c_ubyte), ("data", Bytes), ("count", c_uint), ("speed", c_uint)),
    "ReadI2cData": _p(c_int, ("address", c_ubyte), ("data", Bytes), ("count", c_uint), ("speed", c_uint)),
    "SmbWriteBlock": _p(
        c_int, ("address", c_ubyte), ("data", Bytes), ("count", c_uint), ("speed", c_uint), ("pec", c_ubyte)
    ),
    "SmbReadBlock": _p(
        c_int,
        ("address", c_ubyte),
        ("data", Bytes),
        ("count", c_uint),
        ("speed", c_uint),
        ("pec", c_ubyte),
        ("index", c_ubyte),
    ),
    # Device selection.
    "GetDevCount": _p(c_int),
    "GetSelectedDevNumber": _p(c_int),
    "GetSelectedDevInfo": _p(c_int, ("buffer", CharBuffer)),
    "SelectDev": _p(c_int, ("index", c_uint)),
}
