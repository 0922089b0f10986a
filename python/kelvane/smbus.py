"""An SMBus object with the interface of the common SMBus package (smbus2), over a chip.

Each method is one transfer of the chip (see ``docs/python.md`` for the
table). Register reads write the register index and read the data in one
chained transfer with a repeated start, so no other master can come in
between. What the chip's transfers cannot express raises
:class:`~kelvane.errors.UnsupportedError`, an ``OSError`` with ``EOPNOTSUPP``.
"""

import ctypes
import enum
import errno as _errno
from types import TracebackType
from typing import Any, Iterator, List, NamedTuple, Optional, Sequence, Type, Union

from ._chip_holder import ChipHolder
from ._write_then_read import one_transfer, write_then_read
from .chip import (DEFAULT_PID, DEFAULT_SPEED, DEFAULT_VID, MAX_TRANSFER, Chip, LibraryArgument, _integer_in,
                   _is_integer)
from .errors import ArgumentError, KelvaneError, PecError, TransferError, UnsupportedError

#: Longest block of the block calls, as SMBus defines it.
BLOCK_MAX = 32
#: The flag of a read message (Linux's I2C_M_RD).
I2C_M_RD = 0x0001

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


class I2cFunc(enum.IntFlag):
    """What a bus can do, with the bit values of Linux's I2C_FUNC_* flags."""

    I2C = 0x00000001
    ADDR_10BIT = 0x00000002
    PROTOCOL_MANGLING = 0x00000004
    SMBUS_PEC = 0x00000008
    NOSTART = 0x00000010
    SLAVE = 0x00000020
    SMBUS_BLOCK_PROC_CALL = 0x00008000
    SMBUS_QUICK = 0x00010000
    SMBUS_READ_BYTE = 0x00020000
    SMBUS_WRITE_BYTE = 0x00040000
    SMBUS_READ_BYTE_DATA = 0x00080000
    SMBUS_WRITE_BYTE_DATA = 0x00100000
    SMBUS_READ_WORD_DATA = 0x00200000
    SMBUS_WRITE_WORD_DATA = 0x00400000
    SMBUS_PROC_CALL = 0x00800000
    SMBUS_READ_BLOCK_DATA = 0x01000000
    SMBUS_WRITE_BLOCK_DATA = 0x02000000
    SMBUS_READ_I2C_BLOCK = 0x04000000
    SMBUS_WRITE_I2C_BLOCK = 0x08000000
    SMBUS_HOST_NOTIFY = 0x10000000

    SMBUS_BYTE = SMBUS_READ_BYTE | SMBUS_WRITE_BYTE
    SMBUS_BYTE_DATA = SMBUS_READ_BYTE_DATA | SMBUS_WRITE_BYTE_DATA
    SMBUS_WORD_DATA = SMBUS_READ_WORD_DATA | SMBUS_WRITE_WORD_DATA
    SMBUS_BLOCK_DATA = SMBUS_READ_BLOCK_DATA | SMBUS_WRITE_BLOCK_DATA
    SMBUS_I2C_BLOCK = SMBUS_READ_I2C_BLOCK | SMBUS_WRITE_I2C_BLOCK
    #: What an SMBus adapter emulated over plain I2C offers.
    SMBUS_EMUL = 0x0EFF0008


#: What the chip can do: plain I2C messages (with the limits of
#: :meth:`SMBus.i2c_rdwr`), PEC, the quick write and every SMBus call but the
#: two process calls.
FUNCS = (I2cFunc.I2C | I2cFunc.SMBUS_PEC | I2cFunc.SMBUS_QUICK | I2cFunc.SMBUS_BYTE | I2cFunc.SMBUS_BYTE_DATA
         | I2cFunc.SMBUS_WORD_DATA | I2cFunc.SMBUS_BLOCK_DATA | I2cFunc.SMBUS_I2C_BLOCK)


class i2c_msg(ctypes.Structure):  # noqa: N801 - the name SMBus code uses
    """One message of :meth:`SMBus.i2c_rdwr`, laid out as Linux's ``struct i2c_msg``.

    Make it with :meth:`read` or :meth:`write`; after the transfer a read
    message holds the bytes read: iterate over it, or take ``bytes(msg)``.
    """

    _fields_ = [("addr", ctypes.c_uint16), ("flags", ctypes.c_uint16), ("len", ctypes.c_uint16),
                ("buf", ctypes.POINTER(ctypes.c_char))]

    def __iter__(self) -> Iterator[int]:
        return iter(bytes(self))

    def __len__(self) -> int:
        return int(self.len)

    def __bytes__(self) -> bytes:
        return ctypes.string_at(self.buf, self.len)

    def __repr__(self) -> str:
        return f"i2c_msg({self.addr},{self.flags},{bytes(self)!r})"

    def __str__(self) -> str:
        return bytes(self).decode(errors="ignore")

    @staticmethod
    def read(address: int, length: int) -> "i2c_msg":
        """A read of ``length`` bytes (0 to 65,535) from 7-bit ``address``."""
        if not _integer_in(length, 0, MAX_TRANSFER):
            raise ArgumentError(f"length must be 0 to {MAX_TRANSFER}, not {length!r}", function="i2c_msg.read")
        # The message keeps its buffer alive (ctypes keeps what a field is given).
        return i2c_msg(addr=address, flags=I2C_M_RD, len=length, buf=ctypes.create_string_buffer(length))

    @staticmethod
    def write(address: int, buf: Union[str, bytes, Sequence[int]]) -> "i2c_msg":
        """A write of ``buf`` (bytes, integers 0 to 255, or a str of code points below 256)."""
        if isinstance(buf, str):
            buf = bytes(map(ord, buf))
        data = _block(buf, "i2c_msg.write", MAX_TRANSFER)
        return i2c_msg(addr=address, flags=0, len=len(data), buf=ctypes.create_string_buffer(data, len(data)))


class _Step(NamedTuple):
    """What one transfer of the chip does for :meth:`SMBus.i2c_rdwr`."""

    write: Optional[Any]  # the write message, or None
    read: Optional[Any]  # the read message, or None


class SMBus(ChipHolder):
    """A bus object with the interface of the common SMBus package's ``SMBus``.

    ``bus`` is what :meth:`open` takes: a chip index, a serial number or a
    :class:`~kelvane.Chip` that is already open (and stays open on
    :meth:`close`). Unlike the common package, ``SMBus()`` opens a chip at
    once: the one given by ``serial``, else the one at ``index`` (0).
    ``force`` is accepted and ignored: no kernel driver claims addresses here.

    Attributes:
        funcs: :class:`I2cFunc` flags of what the chip can do.
        speed: bus speed in bit/s.
        allow_stop: let :meth:`i2c_rdwr` run combinations that the chip cannot
            run as one transfer as several, with a stop between them.
    """

    def __init__(self, bus: Union[None, int, str, Chip] = None, force: bool = False, *, index: int = 0,
                 serial: Optional[str] = None, vid: int = DEFAULT_VID, pid: int = DEFAULT_PID,
                 library: LibraryArgument = None, speed: int = DEFAULT_SPEED, pec: bool = False,
                 allow_stop: bool = False) -> None:
        self._identifiers = (vid, pid, library)
        self.funcs = I2cFunc(0)
        self.force = force
        self.speed = speed
        self.allow_stop = bool(allow_stop)
        self._pec = 0
        self.open(bus if bus is not None else (serial if serial is not None else index))
        self.enable_pec(pec)

    def open(self, bus: Union[int, str, Chip]) -> None:
        """Opens the chip at index ``bus`` (int), with serial number ``bus`` (str), or uses a Chip.

        A chip that this bus opened before is closed first.
        """
        if not isinstance(bus, (Chip, str)) and not _is_integer(bus):
            raise TypeError(f"bus must be a chip index, a serial number or a kelvane.Chip, not {bus!r}")
        vid, pid, library = self._identifiers
        lent = bus if isinstance(bus, Chip) else None
        serial = bus if isinstance(bus, str) else None
        index = bus if isinstance(bus, int) else 0
        self._hold(lent, index=index, serial=serial, vid=vid, pid=pid, library=library)
        self._pec = 0
        self.funcs = FUNCS

    @property
    def chip(self) -> Chip:
        """The chip this bus runs on."""
        if self._chip is None:
            raise KelvaneError("the bus has been closed", function="SMBus")
        return self._chip

    def close(self) -> None:
        """Closes the bus, and the chip when the bus opened it. PEC goes off."""
        self._let_go()
        self._pec = 0

    def __enter__(self) -> "SMBus":
        return self

    def __exit__(self, exc_type: Optional[Type[BaseException]], exc_val: Optional[BaseException],
                 exc_tb: Optional[TracebackType]) -> None:
        self.close()

    def __repr__(self) -> str:
        return f"<kelvane.SMBus on {self._chip!r} pec={self._pec}>"

    def enable_pec(self, enable: bool = True) -> None:
        """Packet error checking on (or off) for every call that can carry it."""
        self._pec = int(bool(enable))

    @property
    def pec(self) -> int:
        """1 while packet error checking is on, else 0; assigning calls :meth:`enable_pec`."""
        return self._pec

    @pec.setter
    def pec(self, enable: bool) -> None:
        self.enable_pec(enable)

    # -- transfers --

    def _read(self, address: int, register: int, count: int) -> bytes:
        return self.chip.smbus_read_block(address, register, count, pec=bool(self._pec), speed=self.speed)

    def _write(self, address: int, data: bytes) -> None:
        self.chip.smbus_write_block(address, None, data, pec=bool(self._pec), speed=self.speed)

    def write_quick(self, i2c_addr: int, force: Optional[bool] = None) -> None:
        """Quick command (write): the address alone. A NackError means nobody answered."""
        self.chip.i2c_write(i2c_addr, b"", speed=self.speed)

    def read_byte(self, i2c_addr: int, force: Optional[bool] = None) -> int:
        """Receive byte: one byte read from the slave (with its PEC checked when ``pec``)."""
        if not self._pec:
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
        if not _integer_in(value, 0, 0xFFFF):
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
        raw = self.chip.smbus_read_block(i2c_addr, register, 1 + BLOCK_MAX + self._pec, pec=False,
                                         speed=self.speed)
        count = raw[0]
        if count > BLOCK_MAX:
            raise TransferError(f"the slave announced a block of {count} bytes, more than {BLOCK_MAX}",
                                function="read_block_data", errno=_errno.EPROTO)
        if self._pec:
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
        """Not available on this chip: raises UnsupportedError (``EOPNOTSUPP``)."""
        raise UnsupportedError(_PROCESS_CALL.format(call="a process call", data="a word"), function="process_call")

    def block_process_call(self, i2c_addr: int, register: int, data: Sequence[int],
                           force: Optional[bool] = None) -> List[int]:
        """Not available on this chip: raises UnsupportedError (``EOPNOTSUPP``)."""
        raise UnsupportedError(_PROCESS_CALL.format(call="a block process call", data="a block"),
                               function="block_process_call")

    # -- combined messages --

    def i2c_rdwr(self, *i2c_msgs: Any) -> None:
        """Runs I2C messages made with :meth:`i2c_msg.read` and :meth:`i2c_msg.write`.

        The chip runs one write, one read, or a write of one byte followed by
        a read from the same address (its write-then-read: one transfer with
        a repeated start, the register read of most sensors) as one transfer.
        Any other combination raises UnsupportedError (``EOPNOTSUPP``), unless
        the bus was made with ``allow_stop=True``: then the messages run one
        after another with a stop between them (each one-byte write and the
        read after it still as one transfer). That is not atomic: another
        master may come in between, and a slave sees a stop where a repeated
        start was meant.
        """
        if not i2c_msgs:
            raise ArgumentError("no messages", function="i2c_rdwr")
        steps = _steps([_checked(message) for message in i2c_msgs])
        if len(steps) > 1 and not self.allow_stop:
            raise UnsupportedError(
                f"{_describe(i2c_msgs)}: the chip runs one write, one read, or a write of one byte followed by "
                "a read from the same address (with a repeated start) as one transfer; "
                "SMBus(..., allow_stop=True) runs other combinations one message after another with a stop "
                "between them (not atomic)", function="i2c_rdwr")
        chip = self.chip
        for step in steps:
            address = (step.write if step.write is not None else step.read).addr
            out = bytes(step.write) if step.write is not None else b""
            data = write_then_read(chip, address, out, None if step.read is None else step.read.len, self.speed)
            if step.read is not None:
                ctypes.memmove(step.read.buf, data, len(data))


_PROCESS_CALL = ("{call} writes the register index and {data}, then reads with a repeated start; the chip's "
                 "write-then-read carries the register index alone. With a stop in between (not atomic), run "
                 "it as two i2c_msg messages on an SMBus(..., allow_stop=True)")


def _checked(message: Any) -> Any:
    """A message of i2c_rdwr: an i2c_msg (this package's or one with the same fields)."""
    for field in ("addr", "flags", "len", "buf"):
        if not hasattr(message, field):
            raise TypeError(f"i2c_rdwr takes i2c_msg messages, not {message!r}")
    _address_byte(message.addr)
    if message.flags & ~I2C_M_RD:
        raise UnsupportedError(f"message flags {message.flags:#06x}: the chip sends plain 7-bit messages only",
                               function="i2c_rdwr")
    return message


def _steps(messages: List[Any]) -> List[_Step]:
    """The chip's transfers for a list of messages: a one-byte write and the
    read of the same address after it make one transfer, every other message
    one of its own."""
    steps: List[_Step] = []
    at = 0
    while at < len(messages):
        message = messages[at]
        following = messages[at + 1] if at + 1 < len(messages) else None
        if message.flags & I2C_M_RD:
            steps.append(_Step(None, message))
        elif (following is not None and one_transfer(message.len) and following.flags & I2C_M_RD
              and following.addr == message.addr):
            steps.append(_Step(message, following))
            at += 1
        else:
            steps.append(_Step(message, None))
        at += 1
    return steps


def _describe(messages: Sequence[Any]) -> str:
    parts = [f"{'read' if m.flags & I2C_M_RD else 'write'} of {m.len} bytes at {m.addr:#04x}" for m in messages]
    return ", then ".join(parts)


def _address_byte(address: int) -> int:
    if not _integer_in(address, 0, 0x7F):
        raise ArgumentError(f"address must be 0x00 to 0x7f, not {address!r}", function="SMBus")
    return address << 1


def _byte(name: str, value: int, function: str) -> int:
    if not _integer_in(value, 0, 0xFF):
        raise ArgumentError(f"{name} must be 0 to 0xFF, not {value!r}", function=function)
    return value


def _length(length: int, function: str, low: int = 0) -> int:
    if not _integer_in(length, low, BLOCK_MAX):
        raise ArgumentError(f"length must be {low} to {BLOCK_MAX}, not {length!r}", function=function)
    return length


def _block(data: Sequence[int], function: str, limit: int = BLOCK_MAX) -> bytes:
    try:
        payload = bytes(data)
    except (TypeError, ValueError) as error:
        raise ArgumentError(f"data must be integers 0 to 255 ({error})", function=function) from None
    if len(payload) > limit:
        raise ArgumentError(f"data must be at most {limit} bytes, not {len(payload)}", function=function)
    return payload
