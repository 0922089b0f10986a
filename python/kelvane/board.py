"""The chip's pins under the names CircuitPython boards give theirs.

``GP0`` to ``GP3`` are the four GP pins, ``SCL`` and ``SDA`` the I2C bus
(which has its own pins and needs no naming; :class:`kelvane.busio.I2C`
accepts them or ``None``). ``board.I2C()`` is the bus of chip 0, one object
for the whole program as on a CircuitPython board.

The analogue functions sit on these pins, selected by a pin's designation
code (the library passes the codes through; this table is the package's):

| Pin | Designation | Function |
|---|---|---|
| GP0 to GP3 | 0 | GPIO |
| GP1, GP2, GP3 | 2 | ADC input, readings 0, 1 and 2 of the chip's status |
| GP2 | 3 | DAC output |
"""

from typing import Optional

from ._pins import (ADC_DESIGNATION, DAC_DESIGNATION, GP0, GP1, GP2, GP3, GP_PINS, GPIO_DESIGNATION, SCL, SDA,
                    Pin)
from .busio import I2C as _Bus

__all__ = ["ADC_DESIGNATION", "DAC_DESIGNATION", "GP0", "GP1", "GP2", "GP3", "GP_PINS", "GPIO_DESIGNATION", "I2C",
           "Pin", "SCL", "SDA"]

_bus: Optional[_Bus] = None


def I2C() -> _Bus:  # noqa: N802 - CircuitPython's name
    """The I2C bus of chip 0 at 100 kbit/s: the same object on every call until it is deinitialised."""
    global _bus
    if _bus is None or _bus.deinitialized:
        _bus = _Bus(SCL, SDA)
    return _bus
