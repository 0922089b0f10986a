"""A write followed by a read at one address, as the chip's transfers run it.

The chip's write-then-read writes one byte (a register index) and reads
after a repeated start, in one transfer that no other master can come
between. A longer write followed by a read needs two transfers, with a stop
between them. ``busio.I2C.writeto_then_readfrom`` and ``SMBus.i2c_rdwr``
both run their messages through here.
"""

from typing import Optional

from .chip import Chip

#: The length of the write that the chip's write-then-read carries.
WRITE_THEN_READ_LENGTH = 1


def one_transfer(written: int) -> bool:
    """Whether a write of ``written`` bytes and a read after it run as one
    transfer, with a repeated start."""
    return written == WRITE_THEN_READ_LENGTH


def write_then_read(chip: Chip, address: int, out: bytes, count: Optional[int], speed: int) -> bytes:
    """Writes ``out`` to ``address``, then reads ``count`` bytes from it; returns what was read.

    ``count`` None: the write alone (an empty one is the address alone).
    One byte out: the chip's write-then-read. Nothing out: the read alone.
    Otherwise a write, a stop and a read: two transfers.
    """
    if count is None:
        chip.i2c_write(address, out, speed=speed)
        return b""
    if one_transfer(len(out)):
        return chip.smbus_read_block(address, out[0], count, pec=False, speed=speed)
    if out:
        chip.i2c_write(address, out, speed=speed)
    return chip.i2c_read(address, count, speed=speed)
