"""CircuitPython's ``digitalio`` over the chip's GP pins.

    from kelvane import board, digitalio

    led = digitalio.DigitalInOut(board.GP0)
    led.switch_to_output(value=True)
    button = digitalio.DigitalInOut(board.GP1)
    button.switch_to_input()
    print(button.value)

The pin must work as a GPIO (designation 0). When it has another function,
``DigitalInOut(pin)`` makes it a GPIO input at run time, as a CircuitPython
board does (the chip's power-up configuration in flash stays as it is: after
a reset the pin has its old function again); with ``designate=False`` the
constructor raises ValueError instead. A pin that is already a GPIO keeps
the direction and output value it has: the chip's power-up configuration
may drive it. One object at a time works a pin: a second one for the same
pin raises ValueError until the first is deinitialised.

The chip's GP pins have no pull resistors and push-pull outputs: ``pull`` is
always ``None`` and ``drive_mode`` ``PUSH_PULL``; asking for anything else
raises ValueError.
"""

from typing import Optional

from ._circuitpython import ChipObject
from ._pins import GPIO_DESIGNATION, Pin, PinArgument, gp_pin
from .chip import DEFAULT_PID, DEFAULT_VID, Chip, Direction as _ChipDirection, LibraryArgument
from .errors import ArgumentError


class _Constant:
    """One value of the enumeration classes below, shown as CircuitPython shows it."""

    def __init__(self, kind: str, name: str) -> None:
        self._text = f"digitalio.{kind}.{name}"

    def __repr__(self) -> str:
        return self._text


class Direction:
    """Direction of a pin: ``Direction.INPUT`` or ``Direction.OUTPUT``."""

    INPUT = _Constant("Direction", "INPUT")
    OUTPUT = _Constant("Direction", "OUTPUT")


class Pull:
    """Pull resistor of an input: ``Pull.UP`` or ``Pull.DOWN`` (the chip has neither)."""

    UP = _Constant("Pull", "UP")
    DOWN = _Constant("Pull", "DOWN")


class DriveMode:
    """Output drive: ``DriveMode.PUSH_PULL`` (the chip's) or ``DriveMode.OPEN_DRAIN``."""

    PUSH_PULL = _Constant("DriveMode", "PUSH_PULL")
    OPEN_DRAIN = _Constant("DriveMode", "OPEN_DRAIN")


class DigitalInOut(ChipObject):
    """A GP pin as a digital input or output.

    Args:
        pin: ``board.GP0`` to ``board.GP3``, or the pin number 0 to 3.
        designate: make the pin a GPIO at run time if it has another function
            (the default); False raises ValueError for such a pin.
        chip: a :class:`~kelvane.Chip` to use (left open by :meth:`deinit`);
            otherwise the chip given by ``serial``, else by ``index``, is
            opened (with ``vid``, ``pid`` and ``library`` as in
            :func:`kelvane.open`).
    """

    def __init__(self, pin: PinArgument, *, designate: bool = True, chip: Optional[Chip] = None, index: int = 0,
                 serial: Optional[str] = None, vid: int = DEFAULT_VID, pid: int = DEFAULT_PID,
                 library: LibraryArgument = None) -> None:
        self._pin = gp_pin(pin, "DigitalInOut")
        self._claim(GPIO_DESIGNATION, "DigitalInOut", "GPIO", allowed=designate, chip=chip, index=index, serial=serial,
                    vid=vid, pid=pid, library=library)

    @property
    def pin(self) -> Pin:
        """The pin, as ``board`` names it."""
        return self._pin

    def switch_to_output(self, value: bool = False, drive_mode: _Constant = DriveMode.PUSH_PULL) -> None:
        """Makes the pin an output driving ``value`` (set before the direction changes)."""
        _drive_mode(drive_mode)
        chip = self.chip
        chip.gpio_write(self._pin.number, bool(value))
        chip.set_gpio_direction(self._pin.number, _ChipDirection.OUTPUT)

    def switch_to_input(self, pull: Optional[_Constant] = None) -> None:
        """Makes the pin an input. ``pull`` must be ``None``: the chip has no pull resistors."""
        _pull(pull)
        self.chip.set_gpio_direction(self._pin.number, _ChipDirection.INPUT)

    @property
    def direction(self) -> _Constant:
        """``Direction.INPUT`` or ``Direction.OUTPUT``; setting OUTPUT drives the pin low."""
        if self.chip.get_gpio_direction(self._pin.number) is _ChipDirection.INPUT:
            return Direction.INPUT
        return Direction.OUTPUT

    @direction.setter
    def direction(self, direction: _Constant) -> None:
        if direction is Direction.INPUT:
            self.switch_to_input()
        elif direction is Direction.OUTPUT:
            self.switch_to_output()
        else:
            raise ArgumentError(f"direction must be Direction.INPUT or Direction.OUTPUT, not {direction!r}",
                                function="DigitalInOut.direction")

    @property
    def value(self) -> bool:
        """The level the pin sees (input) or drives (output)."""
        return self.chip.gpio_read(self._pin.number)

    @value.setter
    def value(self, value: bool) -> None:
        if self.direction is Direction.INPUT:
            raise AttributeError("Cannot set value when direction is input.")
        self.chip.gpio_write(self._pin.number, bool(value))

    @property
    def pull(self) -> Optional[_Constant]:
        """Always ``None`` for an input: the chip has no pull resistors."""
        if self.direction is Direction.OUTPUT:
            raise AttributeError("Pull not used when direction is output.")
        return None

    @pull.setter
    def pull(self, pull: Optional[_Constant]) -> None:
        if self.direction is Direction.OUTPUT:
            raise AttributeError("Pull not used when direction is output.")
        _pull(pull)

    @property
    def drive_mode(self) -> _Constant:
        """Always ``DriveMode.PUSH_PULL`` for an output."""
        if self.direction is Direction.INPUT:
            raise AttributeError("Drive mode not used when direction is input.")
        return DriveMode.PUSH_PULL

    @drive_mode.setter
    def drive_mode(self, drive_mode: _Constant) -> None:
        if self.direction is Direction.INPUT:
            raise AttributeError("Drive mode not used when direction is input.")
        _drive_mode(drive_mode)


def _pull(pull: Optional[_Constant]) -> None:
    if pull is not None:
        raise ArgumentError(f"the chip's GP pins have no pull resistors: pull must be None, not {pull!r}",
                            function="DigitalInOut.pull")


def _drive_mode(drive_mode: _Constant) -> None:
    if drive_mode is not DriveMode.PUSH_PULL:
        raise ArgumentError(f"the chip's GP outputs are push-pull only, not {drive_mode!r}",
                            function="DigitalInOut.drive_mode")
