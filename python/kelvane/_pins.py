"""The chip's pins, as :mod:`kelvane.board` names them, and the designation
codes of their functions (the table is in :mod:`kelvane.board`).

This module sits below ``board`` and the CircuitPython-style objects alike,
so that neither imports the other for its pins.
"""

from typing import Optional, Union, cast

from .chip import _integer_in
from .errors import ArgumentError

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

#: What the objects that work one GP pin take for it.
PinArgument = Union[Pin, int]


def gp_pin(pin: PinArgument, function: str) -> Pin:
    """The GP pin for a ``board`` pin or a pin number 0 to 3."""
    if isinstance(pin, Pin) and pin.number is not None:
        return pin
    if _integer_in(pin, 0, 3):
        return GP_PINS[cast(int, pin)]
    raise ArgumentError(f"{pin!r} is not one of the chip's GP pins (board.GP0 to board.GP3)", function=function)
