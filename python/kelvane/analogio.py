"""CircuitPython's ``analogio`` over the chip's ADC inputs and DAC output.

    from kelvane import analogio, board

    sensor = analogio.AnalogIn(board.GP1)
    print(sensor.value * sensor.reference_voltage / 65535)   # volts
    out = analogio.AnalogOut(board.GP2)
    out.value = 32768                                          # half of the DAC's range

The ADC inputs are GP1, GP2 and GP3, the DAC output is GP2 (see
:mod:`kelvane.board` for the designation codes). A pin that does not have
the function yet is given it at run time, as on a CircuitPython board (the
chip's power-up configuration in flash stays as it is); with
``designate=False`` such a pin raises ValueError instead. One object at a
time works a pin.

Reference voltages. The chip's references are numbered 0 to 3. This package
takes reference 0 as the chip's supply (``supply_voltage``, 3.3 V unless
told otherwise) and 1, 2 and 3 as its internal reference at 1.024 V,
2.048 V and 4.096 V.
"""

from typing import Dict, Optional

from ._circuitpython import ChipObject
from ._pins import ADC_DESIGNATION, DAC_DESIGNATION, PinArgument, gp_pin
from .chip import DEFAULT_PID, DEFAULT_VID, Chip, LibraryArgument, _integer_in
from .errors import ArgumentError

#: The supply voltage that reference 0 stands for, unless an object is told another.
SUPPLY_VOLTAGE = 3.3
#: The voltages of references 1 to 3.
INTERNAL_REFERENCES: Dict[int, float] = {1: 1.024, 2: 2.048, 3: 4.096}
#: Largest reading of the chip's 10-bit ADC, and of its 5-bit DAC value.
ADC_MAX = 1023
DAC_MAX = 31


def reference_voltage(reference: int, supply_voltage: float) -> float:
    """The voltage of the chip's reference number 0 to 3."""
    return supply_voltage if reference == 0 else INTERNAL_REFERENCES[reference]


class AnalogIn(ChipObject):
    """An ADC input: ``value`` is the reading scaled to 0 to 65535.

    Args:
        pin: ``board.GP1``, ``board.GP2`` or ``board.GP3`` (or 1 to 3).
        designate: make the pin an ADC input at run time if it is not one
            (the default); False raises ValueError for such a pin.
        supply_voltage: the voltage of reference 0, the chip's supply.
        chip, index, serial, vid, pid, library: which chip, as for
            :class:`kelvane.digitalio.DigitalInOut`.
    """

    def __init__(self, pin: PinArgument, *, designate: bool = True, supply_voltage: Optional[float] = None,
                 chip: Optional[Chip] = None, index: int = 0, serial: Optional[str] = None, vid: int = DEFAULT_VID,
                 pid: int = DEFAULT_PID, library: LibraryArgument = None) -> None:
        self._pin = gp_pin(pin, "AnalogIn")
        if self._pin.adc_channel is None:
            raise ArgumentError(f"{self._pin.name} has no ADC input (GP1, GP2 and GP3 have)", function="AnalogIn")
        self._supply = SUPPLY_VOLTAGE if supply_voltage is None else float(supply_voltage)
        self._claim(ADC_DESIGNATION, "AnalogIn", "ADC input", allowed=designate, chip=chip, index=index, serial=serial,
                    vid=vid, pid=pid, library=library)

    @property
    def value(self) -> int:
        """The 10-bit reading scaled to 0 to 65535 (1023 reads as 65535).

        Reading the ADC also cancels an I2C transfer in progress on the chip.
        """
        raw = self.chip.read_adc()[self._pin.adc_channel]
        return (raw * 65535 + ADC_MAX // 2) // ADC_MAX

    @property
    def reference_voltage(self) -> float:
        """The voltage of the ADC's reference, which a ``value`` of 65535 stands for."""
        return reference_voltage(self.chip.get_adc_voltage_reference(), self._supply)


class AnalogOut(ChipObject):
    """The DAC output: assign ``value`` 0 to 65535 (write only, as in CircuitPython).

    The DAC has 32 steps: ``value`` is mapped onto 0 to 31 by its five
    upper bits (0 to 2047 give 0, 63488 to 65535 give 31).

    Args:
        pin: ``board.GP2`` (or 2).
        designate: make the pin the DAC output at run time if it is not
            (the default); False raises ValueError for such a pin.
        chip, index, serial, vid, pid, library: which chip, as for
            :class:`kelvane.digitalio.DigitalInOut`.
    """

    def __init__(self, pin: PinArgument, *, designate: bool = True, chip: Optional[Chip] = None, index: int = 0,
                 serial: Optional[str] = None, vid: int = DEFAULT_VID, pid: int = DEFAULT_PID,
                 library: LibraryArgument = None) -> None:
        self._pin = gp_pin(pin, "AnalogOut")
        if not self._pin.dac:
            raise ArgumentError(f"{self._pin.name} has no DAC output (GP2 has)", function="AnalogOut")
        self._claim(DAC_DESIGNATION, "AnalogOut", "DAC output", allowed=designate, chip=chip, index=index,
                    serial=serial, vid=vid, pid=pid, library=library)

    def _set_value(self, value: int) -> None:
        if not _integer_in(value, 0, 65535):
            raise ArgumentError(f"value must be 0 to 65535, not {value!r}", function="AnalogOut.value")
        self.chip.set_dac_value(value >> 11)

    value = property(None, _set_value, doc="The output, 0 to 65535 (write only).")

