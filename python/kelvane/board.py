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

from typing import TYPE_CHECKING, Optional

if TYPE_CHECKING:
    from .busio import I2C as _I2C

#: Designation code of a pin working as a GPIO.
GPIO_DESIGNATION = 0
#: Designation code of the ADC input on GP1, GP2 and GP3.
ADC_DESIGNATION = 2
#: Designation code of the DAC output on GP2.
DAC_DESIGNATION = 3


class Pin:
    """A pin of the chip (what CircuitPython calls ``microcontroller.Pin``).

    Attributes:
        name: ``"GP0"`` to ``"GP3"``, ``"SCL"`` or ``"SDA"``.
        number: 0 to 3 for the GP pins, ``None`` for the bus pins.
        adc_channel: which of the chip's three ADC readings the pin gives
            when designated as ADC input, or ``None``.
        dac: whether the pin can be the DAC output.
    """

    def __init__(self, name: str, number: Optional[int] = None, adc_channel: Optional[int] = None,
                 dac: bool = False) -> None:
        self.name = name
        self.number = number
        self.adc_channel = adc_channel
        self.dac = dac

    def __repr__(self) -> str:
        return f"board.{self.name}"


GP0 = Pin("GP0", 0)
GP1 = Pin("GP1", 1, adc_channel=0)
GP2 = Pin("GP2", 2, adc_channel=1, dac=True)
GP3 = Pin("GP3", 3, adc_channel=2)
SCL = Pin("SCL")
SDA = Pin("SDA")

#: The GP pins by number.
GP_PINS = (GP0, GP1, GP2, GP3)

_bus: Optional["_I2C"] = None


def I2C() -> "_I2C":  # noqa: N802 - CircuitPython's name
    """The I2C bus of chip 0 at 100 kbit/s: the same object on every call until it is deinitialised."""
    global _bus
    from .busio import I2C as _Bus

    if _bus is None or _bus.deinitialized:
        _bus = _Bus(SCL, SDA)
    return _bus
