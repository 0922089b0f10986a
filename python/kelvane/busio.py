"""CircuitPython's ``busio.I2C`` over the chip's I2C bus.

    from kelvane import board, busio

    i2c = busio.I2C(board.SCL, board.SDA)        # chip 0; serial="KV000001" or index=1 for another
    while not i2c.try_lock():
        pass
    print([hex(a) for a in i2c.scan()])
    result = bytearray(2)
    i2c.writeto_then_readfrom(0x40, bytes([0x00]), result)    # register 0x00, two bytes
    i2c.unlock()

What the chip's transfers make of each call:

- ``writeto``: one I2C write (0 to 65,535 bytes; an empty one is the
  address alone);
- ``readfrom_into``: one I2C read;
- ``writeto_then_readfrom`` with one byte out: the chip's write-then-read,
  one transfer with a repeated start (a register read); with more bytes out:
  a write, a stop and a read, which another master could come between; with
  nothing out: the read alone; with nothing in: the write alone.

Failures raise the package's exceptions, which are OSError (a NACK has
``errno`` 121, ``EREMOTEIO``).
"""

import threading
from typing import Any, List, Optional

from ._circuitpython import ChipObject
from ._pins import SCL, SDA, Pin
from ._write_then_read import write_then_read
from .chip import DEFAULT_PID, DEFAULT_VID, MAX_TRANSFER, Chip, LibraryArgument, _integer_in, _is_integer
from .errors import ArgumentError, NackError

#: Slowest and fastest bus speed in bit/s (the chip's clock divider must fit a byte).
MIN_FREQUENCY = 46_333
MAX_FREQUENCY = 4_000_000
#: The addresses that scan() probes with a one-byte read instead of the
#: empty write, as the common bus-detect tool does: a write could change the
#: state of the EEPROMs and other devices that usually sit there.
READ_PROBED = frozenset(range(0x30, 0x38)) | frozenset(range(0x50, 0x60))


class I2C(ChipObject):
    """The chip's I2C bus as a CircuitPython ``busio.I2C``.

    Args:
        scl, sda: ``board.SCL`` and ``board.SDA``, or ``None``: the bus has
            fixed pins.
        frequency: bus speed in bit/s, 46,333 to 4,000,000.
        timeout: accepted for CircuitPython code and ignored; the library
            bounds every wait of a transfer.
        chip: a :class:`~kelvane.Chip` to use (left open by :meth:`deinit`);
            otherwise the chip given by ``serial``, else by ``index``, is
            opened (with ``vid``, ``pid`` and ``library`` as in
            :func:`kelvane.open`).
    """

    def __init__(self, scl: Optional[Pin] = None, sda: Optional[Pin] = None, *, frequency: int = 100_000,
                 timeout: int = 255, chip: Optional[Chip] = None, index: int = 0, serial: Optional[str] = None,
                 vid: int = DEFAULT_VID, pid: int = DEFAULT_PID, library: LibraryArgument = None) -> None:
        if scl not in (None, SCL) or sda not in (None, SDA):
            raise ArgumentError(f"the chip's I2C bus has fixed pins: scl must be board.SCL or None, sda board.SDA "
                                f"or None, not {scl!r}, {sda!r}", function="I2C")
        if not _integer_in(frequency, MIN_FREQUENCY, MAX_FREQUENCY):
            raise ArgumentError(f"frequency must be {MIN_FREQUENCY} to {MAX_FREQUENCY} bit/s, not {frequency!r}",
                                function="I2C")
        self._frequency = frequency
        self._locked = threading.Lock()
        self._hold(chip, index=index, serial=serial, vid=vid, pid=pid, library=library)

    def __repr__(self) -> str:
        return f"<kelvane.busio.I2C on {self._chip!r} at {self._frequency} bit/s>"

    @property
    def frequency(self) -> int:
        """The bus speed in bit/s."""
        return self._frequency

    # -- the lock that CircuitPython code takes around its transfers --

    def try_lock(self) -> bool:
        """Takes the bus if nobody holds it; True when taken."""
        self.chip  # noqa: B018 - raises when deinitialised
        return self._locked.acquire(blocking=False)

    def unlock(self) -> None:
        """Gives the bus back."""
        if self._locked.locked():
            self._locked.release()

    def deinit(self) -> None:
        self.unlock()
        super().deinit()

    def _bus(self) -> Chip:
        chip = self.chip
        if not self._locked.locked():
            raise RuntimeError("Function requires lock")
        return chip

    # -- transfers --

    def scan(self) -> List[int]:
        """The 7-bit addresses 0x08 to 0x77 that acknowledge, probed as the
        common bus-detect tool does: an empty write, except a one-byte read
        at 0x30 to 0x37 and 0x50 to 0x5F. A NACK means nobody there; any
        other failure is raised."""
        chip = self._bus()
        found = []
        for address in range(0x08, 0x78):
            try:
                if address in READ_PROBED:
                    chip.i2c_read(address, 1, speed=self._frequency)
                else:
                    chip.i2c_write(address, b"", speed=self._frequency)
            except NackError:
                continue
            found.append(address)
        return found

    def writeto(self, address: int, buffer: Any, *, start: int = 0, end: Optional[int] = None) -> None:
        """Writes ``buffer[start:end]`` to the device at ``address``."""
        chip = self._bus()
        chip.i2c_write(address, bytes(_slice(buffer, start, end, "writeto")), speed=self._frequency)

    def readfrom_into(self, address: int, buffer: Any, *, start: int = 0, end: Optional[int] = None) -> None:
        """Reads ``len(buffer[start:end])`` bytes from ``address`` into that part of ``buffer``."""
        chip = self._bus()
        target = _slice(buffer, start, end, "readfrom_into", writable=True)
        target[:] = chip.i2c_read(address, len(target), speed=self._frequency)

    def writeto_then_readfrom(self, address: int, buffer_out: Any, buffer_in: Any, *, out_start: int = 0,
                              out_end: Optional[int] = None, in_start: int = 0, in_end: Optional[int] = None) -> None:
        """Writes ``buffer_out[out_start:out_end]``, then reads into ``buffer_in[in_start:in_end]``.

        One byte out: one transfer with a repeated start. More: a write, a
        stop, then the read (not atomic). Nothing out: the read alone;
        nothing in: the write alone.
        """
        chip = self._bus()
        out = bytes(_slice(buffer_out, out_start, out_end, "writeto_then_readfrom"))
        target = _slice(buffer_in, in_start, in_end, "writeto_then_readfrom", writable=True)
        target[:] = write_then_read(chip, address, out, len(target) or None, self._frequency)


def _slice(buffer: Any, start: int, end: Optional[int], function: str, writable: bool = False) -> memoryview:
    """``buffer[start:end]`` as bytes, with Python's slice rules (negative
    indices count from the end; bounds are clipped to the buffer)."""
    try:
        view = memoryview(buffer).cast("B")
    except TypeError:
        raise TypeError(f"{function}: a buffer (bytes, bytearray, array, memoryview) is needed, "
                        f"not {type(buffer).__name__}") from None
    if writable and view.readonly:
        raise TypeError(f"{function}: the buffer to read into is read-only")
    for name, value in (("start", start), ("end", end)):
        if value is not None and not _is_integer(value):
            raise TypeError(f"{function}: {name} must be an integer, not {value!r}")
    part = view[start:end]
    if len(part) > MAX_TRANSFER:
        raise ArgumentError(f"at most {MAX_TRANSFER} bytes move in one transfer, not {len(part)}", function=function)
    return part
