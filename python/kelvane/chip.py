"""The high-level API: chips, their bus transfers, pins and settings.

Addresses are 7-bit (0x00 to 0x7F) throughout; the library's 8-bit forms are
made here. Failures raise :mod:`kelvane.errors` exceptions instead of
returning result codes.
"""

import ctypes
import enum
import os
import sys
import time
from types import TracebackType
from typing import Iterable, List, NamedTuple, Optional, Sequence, Tuple, Type, Union, cast

from .errors import ArgumentError, DeviceNotFoundError, KelvaneError, error_for
from .library import Library, PathLike, resolve_library

#: The identifiers that chips have unless their flash says otherwise.
DEFAULT_VID = 0x1209
DEFAULT_PID = 0x4B56
#: Bus speed in bit/s when none is given.
DEFAULT_SPEED = 100_000
#: Largest byte count of one transfer.
MAX_TRANSFER = 65_535

LibraryArgument = Union[None, PathLike, Library]
ByteData = Union[bytes, bytearray, memoryview, Iterable[int]]


class Target(enum.IntEnum):
    """Which copy of a setting: what the chip does now, or what it loads at power-up."""

    RUNTIME = 0
    FLASH = 1
    #: Setters only: runtime first, then flash.
    BOTH = 2


class Direction(enum.IntEnum):
    """Direction of a GP pin."""

    OUTPUT = 0
    INPUT = 1


class PowerSource(enum.IntEnum):
    """How the chip declares itself powered on USB."""

    BUS = 0
    SELF = 1


class ProtectionState(enum.IntEnum):
    """Protection of the flash settings."""

    UNPROTECTED = 0
    PASSWORD = 1
    LOCKED = 2


class InitialPin(enum.Enum):
    """Dedicated pin functions whose power-up value is kept in flash."""

    LED_UART_TX = "LedUartTx"
    LED_UART_RX = "LedUartRx"
    LED_I2C = "LedI2c"
    SSPND = "Sspnd"
    USBCFG = "Usbcfg"


class ChipInfo(NamedTuple):
    """An attached chip as a scan found it."""

    #: Position in the scan, the index that :func:`open` takes.
    index: int
    #: The chip's serial number, or ``None`` when it could not be read.
    serial: Optional[str]
    #: The platform's device path of the chip's HID interface.
    path: str


class PinConfiguration(NamedTuple):
    """One GP pin: designation (0 = GPIO), direction and output value."""

    designation: int
    direction: Direction
    value: int


# ---- argument checks ----------------------------------------------------------


def _is_integer(value: object) -> bool:
    """True for an int that is not a bool (Python counts True and False as ints)."""
    return isinstance(value, int) and not isinstance(value, bool)


def _integer_in(value: object, low: int, high: int) -> bool:
    """True for an integer (not a bool) from ``low`` to ``high``."""
    return _is_integer(value) and low <= cast(int, value) <= high


def _integer(name: str, value: object, low: int, high: int, function: str) -> int:
    if not _is_integer(value):
        raise ArgumentError(f"{name} must be an integer, not {value!r}", function=function)
    if not _integer_in(value, low, high):
        raise ArgumentError(f"{name} must be {low:#x} to {high:#x}, not {value:#x}", function=function)
    return cast(int, value)


def _address(address: object, function: str) -> int:
    """The 8-bit form of a 7-bit address, bit 0 clear."""
    return _integer("address", address, 0, 0x7F, function) << 1


def _bytes(data: ByteData, function: str) -> bytes:
    try:
        return bytes(data)  # type: ignore[arg-type]
    except (TypeError, ValueError) as error:
        raise ArgumentError(f"data must be bytes or integers 0 to 255 ({error})", function=function) from None


def _buffer(data: bytes) -> "ctypes.Array[ctypes.c_ubyte]":
    return (ctypes.c_ubyte * max(len(data), 1)).from_buffer_copy(data or b"\0")


def _chip_string(text: str, function: str) -> "ctypes.Array[ctypes.c_uint16]":
    if not isinstance(text, str):
        raise ArgumentError(f"text must be a str, not {text!r}", function=function)
    if "\0" in text:
        raise ArgumentError("text must not contain NUL", function=function)
    encoded = text.encode("utf-16-le", "surrogatepass")
    units = [int.from_bytes(encoded[i:i + 2], "little") for i in range(0, len(encoded), 2)]
    return (ctypes.c_uint16 * (len(units) + 1))(*units, 0)


def _decode_chip_string(buffer: "ctypes.Array[ctypes.c_uint16]") -> str:
    units = []
    for unit in buffer:
        if unit == 0:
            break
        units.append(unit)
    return b"".join(u.to_bytes(2, "little") for u in units).decode("utf-16-le", "surrogatepass")


def _narrow(raw: bytes) -> str:
    if sys.platform == "win32":
        return raw.decode("mbcs", "replace")
    return os.fsdecode(raw)


def _password(password: Union[str, bytes], function: str) -> bytes:
    if isinstance(password, str):
        password = password.encode("utf-8")
    if not isinstance(password, bytes):
        raise ArgumentError(f"password must be str or bytes, not {password!r}", function=function)
    if b"\0" in password:
        raise ArgumentError("password must not contain NUL", function=function)
    return password


# ---- discovery ------------------------------------------------------------------


def _selected_path(lib: Library) -> str:
    path = ctypes.create_string_buffer(256)
    lib.GetSelectedDevInfo(path)
    return _narrow(path.value)


def _selected_serial(lib: Library) -> Optional[str]:
    """The serial number of the selected chip, or None when it cannot be read."""
    serial = (ctypes.c_uint16 * 64)()
    return _decode_chip_string(serial) if lib.GetSerialNumber(serial) == 0 else None


def _scan(lib: Library) -> List[ChipInfo]:
    """Every chip of a fresh scan, selecting each in turn (caller holds the lock)."""
    lib.GetConnectionStatus()
    chips = []
    for index in range(lib.GetDevCount()):
        if lib.SelectDev(index) != 0:
            continue
        lib.GetConnectionStatus()
        chips.append(ChipInfo(index, _selected_serial(lib), _selected_path(lib)))
    lib._owner = None
    return chips


def list_chips(vid: int = DEFAULT_VID, pid: int = DEFAULT_PID, library: LibraryArgument = None) -> List[ChipInfo]:
    """The attached chips with these USB identifiers, in the order of the scan.

    Args:
        vid: USB vendor identifier to match.
        pid: USB product identifier to match.
        library: the library (a :class:`Library`, or a path); by default the
            one that :func:`~kelvane.load_library` finds.
    """
    lib = resolve_library(library)
    with lib.lock:
        lib.initialise(vid, pid)
        return _scan(lib)


def open(index: int = 0, serial: Optional[str] = None, vid: int = DEFAULT_VID, pid: int = DEFAULT_PID,
         library: LibraryArgument = None) -> "Chip":
    """Connects to one chip: by serial number when given, else by index.

    Use it as a context manager: ``with kelvane.open() as chip: ...``.

    A chip opened by serial number is found again by its serial number when
    it comes back elsewhere (after a reset, on another port, in another
    enumeration order); one opened by index is found again by its device
    path.

    Raises:
        DeviceNotFoundError: no chip at ``index`` or with ``serial`` (exact
            match, letter case included).
    """
    lib = resolve_library(library)
    with lib.lock:
        lib.initialise(vid, pid)
        if serial is not None:
            if not isinstance(serial, str):
                raise ArgumentError(f"serial must be a str, not {serial!r}", function="open")
            for chip in _scan(lib):
                if chip.serial == serial:
                    return Chip(lib, chip, vid, pid, by_serial=True)
            raise DeviceNotFoundError(f"no chip with serial number {serial!r}", function="open")
        _integer("index", index, 0, 0xFFFFFFFF, "open")
        lib.GetConnectionStatus()
        result = lib.SelectDev(index)
        if result != 0:
            raise DeviceNotFoundError(f"no chip at index {index}", code=result, function="open")
        if not lib.GetConnectionStatus():
            raise DeviceNotFoundError(f"chip {index} is not connected", function="open")
        path = _selected_path(lib)
        chip = Chip(lib, ChipInfo(index, _selected_serial(lib), path), vid, pid)
        lib._owner = chip
        return chip


def wait_for_chip(serial: Optional[str] = None, timeout: float = 10.0, *, index: int = 0, vid: int = DEFAULT_VID,
                  pid: int = DEFAULT_PID, library: LibraryArgument = None, interval: float = 0.1) -> "Chip":
    """Waits until a chip is there and opens it, as :func:`open` does.

    With ``serial`` the chip with that serial number (and the Chip finds it
    again by it later), else the chip at ``index``. Looks every ``interval``
    seconds, scanning each time.

    Raises:
        DeviceNotFoundError: no such chip came within ``timeout`` seconds.
    """
    for name, value in (("timeout", timeout), ("interval", interval)):
        if isinstance(value, bool) or not isinstance(value, (int, float)) or not value >= 0:
            raise ArgumentError(f"{name} must be a number of seconds, not {value!r}", function="wait_for_chip")
    lib = resolve_library(library)
    deadline = time.monotonic() + timeout
    while True:
        try:
            return open(index=index, serial=serial, vid=vid, pid=pid, library=lib)
        except DeviceNotFoundError as error:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                wanted = f"with serial number {serial!r}" if serial is not None else f"at index {index}"
                raise DeviceNotFoundError(f"no chip {wanted} came within {timeout} s",
                                          function="wait_for_chip") from error
            time.sleep(min(interval, remaining))


# ---- the chip -------------------------------------------------------------------


class Chip:
    """A connected chip. Get one from :func:`open`.

    Several chips may be open at once: each operation selects its own chip in
    the library first when another one was used in between. The library
    remembers one access password for the whole process, not one per chip.

    A chip that goes away and comes back (a reset, a replug) is looked for
    at the next call: by its serial number when it was opened by serial
    number, else by its device path.
    """

    def __init__(self, library: Library, info: ChipInfo, vid: int, pid: int, by_serial: bool = False) -> None:
        self._lib = library
        self._info = info
        self._identifiers = (vid, pid)
        self._closed = False
        self._rescan = False
        self._by_serial = by_serial and info.serial is not None

    # -- identity and life --

    @property
    def library(self) -> Library:
        """The library this chip is reached through."""
        return self._lib

    @property
    def index(self) -> int:
        """The chip's index in the library's last scan."""
        return self._info.index

    @property
    def serial(self) -> Optional[str]:
        """The serial number read when the chip was opened (or stored since by set_serial_number)."""
        return self._info.serial

    @property
    def path(self) -> str:
        """The device path of the chip's HID interface (where it was last found)."""
        return self._info.path

    @property
    def by_serial(self) -> bool:
        """True when the chip is found again by its serial number, False when by its path."""
        return self._by_serial

    @property
    def closed(self) -> bool:
        return self._closed

    def close(self) -> None:
        """Ends the use of this object; the chip and the library stay as they are."""
        self._closed = True
        with self._lib.lock:
            if self._lib._owner is self:
                self._lib._owner = None

    def __enter__(self) -> "Chip":
        return self

    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> None:
        self.close()

    def __repr__(self) -> str:
        state = " closed" if self._closed else ""
        return f"<kelvane.Chip {self.index} serial={self.serial!r}{state}>"

    def _activate(self, function: str) -> None:
        """Makes this chip the library's selected one (caller holds the lock)."""
        if self._closed:
            raise KelvaneError("the chip has been closed", function=function)
        lib = self._lib
        lib.initialise(*self._identifiers)
        if lib._owner is self and not self._rescan:
            return
        lib._owner = None
        lib.GetConnectionStatus()
        # Where it was last, then anywhere else.
        count = lib.GetDevCount()
        for index in [self._info.index] + [i for i in range(count) if i != self._info.index]:
            if self._select(index):
                break
        else:
            wanted = f"serial number {self.serial!r}" if self._by_serial else f"path {self._info.path!r}"
            raise DeviceNotFoundError(f"the chip with {wanted} is not connected", function=function)
        self._rescan = False
        lib._owner = self

    def _select(self, index: int) -> bool:
        """Selects the chip at ``index`` if it is this one: the same serial
        number or, for a chip opened by index, the same path."""
        lib = self._lib
        if lib.SelectDev(index) != 0 or not lib.GetConnectionStatus():
            return False
        path = _selected_path(lib)
        if self._by_serial:
            # A path may pass to another chip (Linux reuses hidraw numbers).
            if _selected_serial(lib) != self._info.serial:
                return False
        elif path != self._info.path:
            return False
        self._info = self._info._replace(index=index, path=path)
        return True

    def _call(self, name: str, *args: object) -> int:
        with self._lib.lock:
            self._activate(name)
            result = getattr(self._lib, name)(*args)
            if result in (-4, -5):
                # The library lost the chip (it went away, or a report failed):
                # the next call looks for it again.
                self._rescan = True
            return result

    def _run(self, name: str, *args: object) -> None:
        """Calls an export whose result is 0 on success."""
        self._lib.check(name, self._call(name, *args))

    def _get(self, name: str, *args: object, valid: Sequence[int]) -> int:
        """Calls a getter: a negative result raises, and so does a result that
        is no value of the field (the chip's status byte). A status byte that
        falls inside the field's range cannot be told from a value."""
        result = self._call(name, *args)
        if result < 0:
            self._lib.check(name, result)
        if result not in valid:
            raise error_for(result, name) if 1 <= result <= 255 else KelvaneError(
                f"unexpected result {result}", function=name)
        return result

    # -- I2C and SMBus --

    def i2c_write(self, address: int, data: ByteData, speed: int = DEFAULT_SPEED) -> None:
        """Writes ``data`` to the slave at 7-bit ``address`` (0 to 65,535 bytes).

        An empty write sends the address alone: it tells whether a slave answers.
        """
        address8 = _address(address, "i2c_write")
        payload = _bytes(data, "i2c_write")
        self._run("WriteI2cData", address8, _buffer(payload), len(payload), _speed(speed, "i2c_write"))

    def i2c_read(self, address: int, count: int, speed: int = DEFAULT_SPEED) -> bytes:
        """Reads ``count`` bytes (0 to 65,535) from the slave at 7-bit ``address``.

        A read that the chip ends early returns the bytes that arrived
        followed by zero bytes: the library does not tell how many came.
        """
        address8 = _address(address, "i2c_read") | 1
        count = _integer("count", count, 0, MAX_TRANSFER, "i2c_read")
        buffer = (ctypes.c_ubyte * max(count, 1))()
        self._run("ReadI2cData", address8, buffer, count, _speed(speed, "i2c_read"))
        return bytes(buffer)[:count]

    def smbus_write_block(self, address: int, register: Optional[int], data: ByteData, pec: bool = False,
                          speed: int = DEFAULT_SPEED) -> None:
        """Writes ``register`` then ``data`` to an SMBus slave, with the PEC byte when ``pec``.

        ``register=None`` writes ``data`` alone. No byte-count byte is added.
        """
        address8 = _address(address, "smbus_write_block")
        payload = _bytes(data, "smbus_write_block")
        if register is not None:
            payload = bytes([_integer("register", register, 0, 0xFF, "smbus_write_block")]) + payload
        self._run("SmbWriteBlock", address8, _buffer(payload), len(payload),
                  _speed(speed, "smbus_write_block"), 1 if pec else 0)

    def smbus_read_block(self, address: int, register: int, count: int, pec: bool = False,
                         speed: int = DEFAULT_SPEED) -> bytes:
        """Reads ``count`` bytes from ``register`` of an SMBus slave.

        The register index is written and the data read in one chained
        transfer (a repeated start, no stop in between). With ``pec`` one more
        byte is read and checked as the packet error code.
        """
        address8 = _address(address, "smbus_read_block")
        register = _integer("register", register, 0, 0xFF, "smbus_read_block")
        count = _integer("count", count, 0, MAX_TRANSFER, "smbus_read_block")
        buffer = (ctypes.c_ubyte * max(count, 1))()
        self._run("SmbReadBlock", address8, buffer, count, _speed(speed, "smbus_read_block"),
                  1 if pec else 0, register)
        return bytes(buffer)[:count]

    def cancel_transfer(self) -> int:
        """Cancels the I2C/SMBus transfer in progress; returns the chip's cancel status."""
        return self._get("StopI2cDataTransfer", valid=range(0, 256))

    def scl_line(self) -> int:
        """Level of the SCL line as the chip reports it (0 to 255)."""
        return self._get("GetSclLineValue", valid=range(0, 256))

    def sda_line(self) -> int:
        """Level of the SDA line as the chip reports it (0 to 255)."""
        return self._get("GetSdaLineValue", valid=range(0, 256))

    # -- status and versions --

    def read_adc(self) -> Tuple[int, int, int]:
        """The three 10-bit ADC readings. Also cancels any transfer in progress."""
        values = (ctypes.c_ushort * 3)()
        self._run("GetAdcData", values)
        return (values[0], values[1], values[2])

    def firmware_version(self) -> str:
        """The firmware revision, "X.Y"."""
        return self._version("GetFirmwareVersion")

    def hardware_version(self) -> str:
        """The hardware revision, two characters."""
        return self._version("GetHardwareVersion")

    def _version(self, name: str) -> str:
        buffer = ctypes.create_string_buffer(8)
        self._run(name, buffer)
        return buffer.value.decode("latin-1")

    def reset(self) -> None:
        """Resets the chip. It re-enumerates on USB; the next call scans for it again."""
        self._run("ResetDevice")
        self._rescan = True

    # -- GPIO --

    def gpio_read(self, pin: int) -> bool:
        """Level of GPIO pin 0 to 3. Raises NotGpioError when the pin has another function."""
        return bool(self._get("ReadGpioPinValue", _pin(pin, "gpio_read"), valid=(0, 1)))

    def gpio_write(self, pin: int, value: bool) -> None:
        """Drives GPIO output pin 0 to 3 high (true) or low (runtime)."""
        self._run("WriteGpioPinValue", _pin(pin, "gpio_write"), 1 if value else 0)

    def get_gpio_direction(self, pin: int, target: Target = Target.RUNTIME) -> Direction:
        """Direction of GPIO pin 0 to 3, at run time or at power-up (``Target.FLASH``)."""
        return Direction(self._get("GetGpPinDirection", int(target), _pin(pin, "get_gpio_direction"),
                                   valid=(0, 1)))

    def set_gpio_direction(self, pin: int, direction: Direction, target: Target = Target.RUNTIME) -> None:
        """Sets the direction of GPIO pin 0 to 3 (``Target.RUNTIME``, ``FLASH`` or ``BOTH``)."""
        direction = _integer("direction", int(direction), 0, 0xFF, "set_gpio_direction")
        self._run("SetGpPinDirection", int(target), _pin(pin, "set_gpio_direction"), direction)

    def get_pin_configuration(self, target: Target = Target.RUNTIME) -> List[PinConfiguration]:
        """Designation, direction and value of GP0 to GP3."""
        arrays = [(ctypes.c_ubyte * 4)() for _ in range(3)]
        self._run("GetGpPinConfiguration", int(target), *arrays)
        designation, direction, value = arrays
        return [PinConfiguration(designation[i], Direction(direction[i] & 1), value[i]) for i in range(4)]

    def set_pin_configuration(self, pins: Sequence[Tuple[int, int, int]],
                              target: Target = Target.RUNTIME) -> None:
        """Configures all four pins: ``(designation, direction, value)`` for GP0 to GP3.

        Designation 0 makes a pin a GPIO; 1 to 4 select its dedicated functions.
        """
        if len(pins) != 4:
            raise ArgumentError("pins must give GP0 to GP3", function="set_pin_configuration")
        columns = []
        for column in range(3):
            values = [_integer("pin setting", int(pin[column]), 0, 0xFF, "set_pin_configuration") for pin in pins]
            columns.append((ctypes.c_ubyte * 4)(*values))
        self._run("SetGpPinConfiguration", int(target), *columns)

    # -- dedicated pin functions --

    def get_interrupt_pin_mode(self, target: Target = Target.RUNTIME) -> int:
        """Interrupt pin mode 0 to 3."""
        return self._get("GetInterruptPinMode", int(target), valid=range(0, 4))

    def set_interrupt_pin_mode(self, mode: int, target: Target = Target.RUNTIME) -> None:
        """Sets the interrupt pin mode 1 to 3."""
        self._run("SetInterruptPinMode", int(target), _int(mode, "mode", "set_interrupt_pin_mode"))

    def clear_interrupt_pin_state(self) -> None:
        """Clears the interrupt pin state (runtime)."""
        self._run("ClearInterruptPinState")

    def get_clock_pin_divider(self, target: Target = Target.RUNTIME) -> int:
        """Clock output divider code 0 to 7."""
        return self._get("GetClockPinDividerValue", int(target), valid=range(0, 8))

    def get_clock_pin_duty_cycle(self, target: Target = Target.RUNTIME) -> int:
        """Clock output duty-cycle code 0 to 3."""
        return self._get("GetClockPinDutyCycle", int(target), valid=range(0, 4))

    def set_clock_pin_configuration(self, divider: int, duty_cycle: int, target: Target = Target.RUNTIME) -> None:
        """Sets the clock output: divider code 1 to 7, duty-cycle code 0 to 3."""
        self._run("SetClockPinConfiguration", int(target), _int(divider, "divider", "set_clock_pin_configuration"),
                  _int(duty_cycle, "duty_cycle", "set_clock_pin_configuration"))

    def get_initial_pin_value(self, function: InitialPin) -> int:
        """Power-up value (0 or 1) of a dedicated pin function, from flash."""
        return self._get(f"GetInitialPinValue{InitialPin(function).value}", valid=(0, 1))

    def set_initial_pin_value(self, function: InitialPin, value: int) -> None:
        """Sets the power-up value (0 or 1) of a dedicated pin function in flash."""
        self._run(f"SetInitialPinValue{InitialPin(function).value}",
                  _int(value, "value", "set_initial_pin_value"))

    # -- analog --

    def get_adc_voltage_reference(self) -> int:
        """ADC voltage reference number 0 to 3 (runtime)."""
        return self._get("GetAdcVoltageReference", valid=range(0, 4))

    def set_adc_voltage_reference(self, reference: int) -> None:
        """Sets the ADC voltage reference number 0 to 3 (runtime)."""
        self._run("SetAdcVoltageReference", _int(reference, "reference", "set_adc_voltage_reference"))

    def get_dac_voltage_reference(self) -> int:
        """DAC voltage reference number 0 to 3 (runtime)."""
        return self._get("GetDacVoltageReference", valid=range(0, 4))

    def set_dac_voltage_reference(self, reference: int) -> None:
        """Sets the DAC voltage reference number 0 to 3 (runtime)."""
        self._run("SetDacVoltageReference", _int(reference, "reference", "set_dac_voltage_reference"))

    def get_dac_value(self) -> int:
        """DAC output value 0 to 31 (runtime)."""
        return self._get("GetDacValue", valid=range(0, 32))

    def set_dac_value(self, value: int) -> None:
        """Sets the DAC output value 0 to 31 (runtime)."""
        self._run("SetDacValue", _int(value, "value", "set_dac_value"))

    # -- USB settings (flash) --

    def get_usb_vid(self) -> int:
        """USB vendor identifier stored in flash."""
        return self._get("GetUsbVid", valid=range(0, 0x10000))

    def get_usb_pid(self) -> int:
        """USB product identifier stored in flash."""
        return self._get("GetUsbPid", valid=range(0, 0x10000))

    def set_usb_vid_pid(self, vid: int, pid: int) -> None:
        """Stores new USB identifiers in flash; the chip uses them after a reset."""
        self._run("SetUsbVidPid", _integer("vid", vid, 0, 0xFFFF, "set_usb_vid_pid"),
                  _integer("pid", pid, 0, 0xFFFF, "set_usb_vid_pid"))

    def get_usb_power_source(self) -> PowerSource:
        """Whether the chip declares itself bus- or self-powered."""
        return PowerSource(self._get("GetUsbPowerSource", valid=(0, 1)))

    def set_usb_power_source(self, source: PowerSource) -> None:
        """Declares the chip bus- or self-powered. This also clears remote wake-up."""
        self._run("SetUsbPowerSource", _int(int(source), "source", "set_usb_power_source"))

    def get_usb_remote_wakeup(self) -> bool:
        """Whether remote wake-up is enabled."""
        return bool(self._get("GetUsbRemoteWakeupEnable", valid=(0, 1)))

    def set_usb_remote_wakeup(self, enable: bool) -> None:
        """Enables or disables remote wake-up."""
        self._run("SetUsbRemoteWakeupEnable", 1 if enable else 0)

    def get_usb_current_requirement(self) -> int:
        """USB current requirement in mA."""
        return self._get("GetUsbCurrentRequirement", valid=range(0, 511))

    def set_usb_current_requirement(self, milliamperes: int) -> None:
        """Sets the USB current requirement: even values 100 to 500 mA."""
        self._run("SetUsbCurrentRequirement", _int(milliamperes, "milliamperes", "set_usb_current_requirement"))

    def get_serial_number_enumeration(self) -> bool:
        """Whether the chip presents its serial number on USB."""
        return bool(self._get("GetSerialNumberEnumerationEnable", valid=(0, 1)))

    def set_serial_number_enumeration(self, enable: bool) -> None:
        """Makes the chip present its serial number on USB, or not."""
        self._run("SetSerialNumberEnumerationEnable", 1 if enable else 0)

    # -- USB strings --

    def _read_string(self, name: str) -> str:
        buffer = (ctypes.c_uint16 * 64)()
        self._run(name, buffer)
        return _decode_chip_string(buffer)

    def _write_string(self, name: str, text: str, function: str) -> None:
        self._run(name, _chip_string(text, function))

    def get_manufacturer(self) -> str:
        """The USB manufacturer string."""
        return self._read_string("GetUsbStringManufacturer")

    def set_manufacturer(self, text: str) -> None:
        """Stores the USB manufacturer string (at most 30 UTF-16 units)."""
        self._write_string("SetUsbStringManufacturer", text, "set_manufacturer")

    def get_product(self) -> str:
        """The USB product string."""
        return self._read_string("GetUsbStringDescriptor")

    def set_product(self, text: str) -> None:
        """Stores the USB product string (at most 30 UTF-16 units)."""
        self._write_string("SetUsbStringDescriptor", text, "set_product")

    def get_serial_number(self) -> str:
        """The USB serial number."""
        return self._read_string("GetSerialNumber")

    def set_serial_number(self, text: str) -> None:
        """Stores the USB serial number (at most 30 UTF-16 units).

        A chip opened by serial number is found by the new one from now on.
        """
        self._write_string("SetSerialNumber", text, "set_serial_number")
        with self._lib.lock:
            self._info = self._info._replace(serial=text)

    def get_factory_serial_number(self) -> str:
        """The factory serial number (read only)."""
        return self._read_string("GetFactorySerialNumber")

    # -- flash protection --

    def get_flash_protection_state(self) -> ProtectionState:
        """The protection the chip works with now."""
        return ProtectionState(self._get("GetFlashProtectionState", valid=(0, 1, 2)))

    def set_flash_password_protection(self, password: Union[str, bytes]) -> None:
        """Protects the flash settings with a password of at least 8 bytes (the first 8 count).

        The chip applies it after a reset. The library remembers the password
        and sends it with later flash changes.
        """
        self._run("SetFlashPasswordProtection", _password(password, "set_flash_password_protection"))

    def set_flash_protection_off(self) -> None:
        """Removes the password protection (the remembered password opens the chip)."""
        self._run("SetFlashProtectionOff")

    def set_flash_permanent_lock(self) -> None:
        """Locks the flash settings for good. There is no way back."""
        self._run("SetFlashPermanentLock")

    def enter_access_password(self, password: Union[str, bytes]) -> None:
        """Presents the access password (at least 8 bytes; the first 8 count) to the chip."""
        self._run("EnterAccessPassword", _password(password, "enter_access_password"))


def _speed(speed: object, function: str) -> int:
    return _integer("speed", speed, 0, 0xFFFFFFFF, function)


def _pin(pin: object, function: str) -> int:
    return _integer("pin", pin, 0, 0xFF, function)


def _int(value: object, name: str, function: str) -> int:
    return _integer(name, value, -0x80000000, 0x7FFFFFFF, function)
