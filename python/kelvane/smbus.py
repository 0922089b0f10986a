"""An SMBus-style bus object over a chip, for existing sensor code.

Each method is one transfer of the chip (see ``docs/python.md`` for the
table). Register reads write the register index and read the data in one
chained transfer with a repeated start, so no other master can come in
between. Calls that the chip's transfers cannot express raise
:class:`~kelvane.errors.UnsupportedError`.
"""

from types import TracebackType
from typing import Any, List, Optional, Sequence, Type, Union

from . import chip as _chip
from .chip import DEFAULT_PID, DEFAULT_SPEED, DEFAULT_VID, Chip, LibraryArgument
from .errors import ArgumentError, KelvaneError, PecError, UnsupportedError

#: Longest block of the block calls, as SMBus defines it.
BLOCK_MAX = 32

_CRC_TABLE = []
for _i in range(256):
    _c = _i
    for _ in range(8):
        _c = ((_c << 1) ^ 0x07) & 0xFF if _c & 0x80 else (_c << 1) & 0xFF
    _CRC_TABLE.append(_c)


def packet_error_code(data: Union[bytes, Sequence[int]], crc: int = 0) -> int:
    """The SMBus packet error code (CRC-8, polynomial 0x07) of ``data``, continuing from ``crc``."""
    for byte in data:
        crc = _CRC_TABLE[crc ^ byte]
    return crc


class SMBus:
    """A bus object with the methods that SMBus-style sensor code calls.

    ``SMBus()`` opens chip 0 with the default identifiers; ``SMBus(chip)``
    uses a :class:`~kelvane.Chip` that is already open (and leaves it open on
    :meth:`close`); ``SMBus(1)`` opens the chip at index 1.

    Attributes:
        pec: packet error checking on every transfer that can carry it.
        speed: bus speed in bit/s.
    """

    def __init__(self, chip: Union[None, int, Chip] = None, *, index: int = 0, serial: Optional[str] = None,
                 vid: int = DEFAULT_VID, pid: int = DEFAULT_PID, library: LibraryArgument = None,
                 speed: int = DEFAULT_SPEED, pec: bool = False) -> None:
        if isinstance(chip, Chip):
            self._chip: Optional[Chip] = chip
            self._owns_chip = False
        else:
            if isinstance(chip, int) and not isinstance(chip, bool):
                index = chip
            elif chip is not None:
                raise TypeError(f"chip must be a kelvane.Chip, an index or None, not {chip!r}")
            self._chip = _chip.open(index=index, serial=serial, vid=vid, pid=pid, library=library)
            self._owns_chip = True
        self.pec = bool(pec)
        self.speed = speed

    @property
    def chip(self) -> Chip:
        """The chip this bus runs on."""
        if self._chip is None:
            raise KelvaneError("the bus has been closed", function="SMBus")
        return self._chip

    def close(self) -> None:
        """Closes the bus, and the chip when the bus opened it."""
        if self._chip is not None and self._owns_chip:
            self._chip.close()
        self._chip = None

    def __enter__(self) -> "SMBus":
        return self

    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> None:
        self.close()

    def __repr__(self) -> str:
        return f"<kelvane.SMBus on {self._chip!r} pec={self.pec}>"

    # -- transfers --

    def _read(self, address: int, register: int, count: int) -> bytes:
        return self.chip.smbus_read_block(address, register, count, pec=self.pec, speed=self.speed)

    def _write(self, address: int, data: bytes) -> None:
        self.chip.smbus_write_block(address, None, data, pec=self.pec, speed=self.speed)

    def write_quick(self, i2c_addr: int, force: Optional[bool] = None) -> None:
        """Quick command (write): the address alone. A NackError means nobody answered."""
        self.chip.i2c_write(i2c_addr, b"", speed=self.speed)

    def read_byte(self, i2c_addr: int, force: Optional[bool] = None) -> int:
        """Receive byte: one byte read from the slave (with its PEC checked when ``pec``)."""
        if not self.pec:
            return self.chip.i2c_read(i2c_addr, 1, speed=self.speed)[0]
        value, received = self.chip.i2c_read(i2c_addr, 2, speed=self.speed)
        if packet_error_code([_address_byte(i2c_addr) | 1, value]) != received:
            raise PecError(code=-12, function="read_byte")
        return value

    def write_byte(self, i2c_addr: int, value: int, force: Optional[bool] = None) -> None:
        """Send byte: one byte written to the slave."""
        self._write(i2c_addr, bytes([_byte("value", value, "write_byte")]))

    def read_byte_data(self, i2c_addr: int, register: int, force: Optional[bool] = None) -> int:
        """Read byte: one byte from ``register``."""
        return self._read(i2c_addr, register, 1)[0]

    def write_byte_data(self, i2c_addr: int, register: int, value: int, force: Optional[bool] = None) -> None:
        """Write byte: one byte to ``register``."""
        self._write(i2c_addr, bytes([_byte("register", register, "write_byte_data"),
                                     _byte("value", value, "write_byte_data")]))

    def read_word_data(self, i2c_addr: int, register: int, force: Optional[bool] = None) -> int:
        """Read word: two bytes from ``register``, low byte first."""
        return int.from_bytes(self._read(i2c_addr, register, 2), "little")

    def write_word_data(self, i2c_addr: int, register: int, value: int, force: Optional[bool] = None) -> None:
        """Write word: two bytes to ``register``, low byte first."""
        if isinstance(value, bool) or not isinstance(value, int) or not 0 <= value <= 0xFFFF:
            raise ArgumentError(f"value must be 0 to 0xFFFF, not {value!r}", function="write_word_data")
        self._write(i2c_addr, bytes([_byte("register", register, "write_word_data")]) + value.to_bytes(2, "little"))

    def read_i2c_block_data(self, i2c_addr: int, register: int, length: int,
                            force: Optional[bool] = None) -> List[int]:
        """``length`` bytes (1 to 32) from ``register``, without a byte count."""
        _length(length, "read_i2c_block_data", low=1)
        return list(self._read(i2c_addr, register, length))

    def write_i2c_block_data(self, i2c_addr: int, register: int, data: Sequence[int],
                             force: Optional[bool] = None) -> None:
        """Writes ``data`` (up to 32 bytes) to ``register``, without a byte count."""
        payload = _block(data, "write_i2c_block_data")
        self._write(i2c_addr, bytes([_byte("register", register, "write_i2c_block_data")]) + payload)

    def read_block_data(self, i2c_addr: int, register: int, force: Optional[bool] = None) -> List[int]:
        """Block read: the slave sends a byte count (at most 32) and that many bytes.

        The chip reads a fixed count, so the count byte and 32 bytes (and the
        PEC byte) are read in one transfer and the block is cut from them; the
        slave is clocked on past the end of its block. With ``pec`` the code
        after the block is checked here.
        """
        raw = self.chip.smbus_read_block(i2c_addr, register, 1 + BLOCK_MAX + (1 if self.pec else 0),
                                         pec=False, speed=self.speed)
        count = raw[0]
        if count > BLOCK_MAX:
            raise KelvaneError(f"the slave announced a block of {count} bytes, more than {BLOCK_MAX}",
                               function="read_block_data")
        if self.pec:
            address = _address_byte(i2c_addr)
            expected = packet_error_code(bytes([address, register, address | 1]) + raw[:1 + count])
            if raw[1 + count] != expected:
                raise PecError(code=-12, function="read_block_data")
        return list(raw[1:1 + count])

    def write_block_data(self, i2c_addr: int, register: int, data: Sequence[int],
                         force: Optional[bool] = None) -> None:
        """Block write: ``register``, a byte count and ``data`` (up to 32 bytes)."""
        payload = _block(data, "write_block_data")
        self._write(i2c_addr, bytes([_byte("register", register, "write_block_data"), len(payload)]) + payload)

    # -- what the chip's transfers cannot express --

    def process_call(self, i2c_addr: int, register: int, value: int, force: Optional[bool] = None) -> int:
        """Not available: see :class:`~kelvane.errors.UnsupportedError`."""
        raise UnsupportedError("a process call writes a word and reads one with a repeated start; the chip's "
                               "chained write carries the register index alone", function="process_call")

    def block_process_call(self, i2c_addr: int, register: int, data: Sequence[int],
                           force: Optional[bool] = None) -> List[int]:
        """Not available: see :class:`~kelvane.errors.UnsupportedError`."""
        raise UnsupportedError("a block process call writes a block and reads one with a repeated start; the "
                               "chip's chained write carries the register index alone",
                               function="block_process_call")

    def i2c_rdwr(self, *messages: Any) -> None:
        """Not available: combined transfers other than a register read; use Chip's transfers."""
        raise UnsupportedError("combined I2C messages cannot be sent as one transfer; use Chip.i2c_write, "
                               "Chip.i2c_read and Chip.smbus_read_block", function="i2c_rdwr")


def _address_byte(address: int) -> int:
    if isinstance(address, bool) or not isinstance(address, int) or not 0 <= address <= 0x7F:
        raise ArgumentError(f"address must be 0x00 to 0x7f, not {address!r}", function="SMBus")
    return address << 1


def _byte(name: str, value: int, function: str) -> int:
    if isinstance(value, bool) or not isinstance(value, int) or not 0 <= value <= 0xFF:
        raise ArgumentError(f"{name} must be 0 to 0xFF, not {value!r}", function=function)
    return value


def _length(length: int, function: str, low: int = 0) -> int:
    if isinstance(length, bool) or not isinstance(length, int) or not low <= length <= BLOCK_MAX:
        raise ArgumentError(f"length must be {low} to {BLOCK_MAX}, not {length!r}", function=function)
    return length


def _block(data: Sequence[int], function: str) -> bytes:
    try:
        payload = bytes(data)
    except (TypeError, ValueError) as error:
        raise ArgumentError(f"data must be integers 0 to 255 ({error})", function=function) from None
    _length(len(payload), function)
    return payload
