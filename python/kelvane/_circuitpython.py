"""What the CircuitPython-style objects share: the chip behind them, deinit,
and the pins' designations.

Each object either uses a :class:`~kelvane.Chip` that it is given (and leaves
it open) or opens one of its own by index or serial number (and closes it on
``deinit``).
"""

from types import TracebackType
from typing import Optional, Type, Union, cast

from . import chip as _chip
from .board import GP_PINS, Pin
from .chip import Chip, LibraryArgument, Target, _integer_in
from .errors import ArgumentError

DEINITIALIZED = "Object has been deinitialized and can no longer be used. Create a new object."

PinArgument = Union[Pin, int]


class ChipObject:
    """Base of the CircuitPython-style objects: a chip lent or owned, deinit, context manager."""

    _chip: Optional[Chip] = None
    _owns_chip = False
    #: The pin of an object that works one pin (set before :meth:`_claim`).
    _pin: Optional[Pin] = None

    def _attach(self, chip: Optional[Chip], index: int, serial: Optional[str], vid: int, pid: int,
                library: LibraryArgument) -> Chip:
        if chip is not None:
            if not isinstance(chip, Chip):
                raise TypeError(f"chip must be a kelvane.Chip, not {chip!r}")
            self._chip, self._owns_chip = chip, False
        else:
            self._chip = _chip.open(index=index, serial=serial, vid=vid, pid=pid, library=library)
            self._owns_chip = True
        return self._chip

    def _claim(self, designation: int, function: str, what: str, *, allowed: bool, chip: Optional[Chip],
               index: int, serial: Optional[str], vid: int, pid: int, library: LibraryArgument) -> None:
        """Attaches to the chip and makes sure this object's pin has ``designation``
        (see :func:`designate`); on any failure the object is deinitialised."""
        assert self._pin is not None
        opened = self._attach(chip, index, serial, vid, pid, library)
        try:
            designate(opened, self._pin, designation, function, allowed=allowed, what=what)
        except BaseException:
            self.deinit()
            raise

    def __repr__(self) -> str:
        name = f"{type(self).__module__}.{type(self).__qualname__}"
        return f"<{name} {self._pin!r}>" if self._pin is not None else f"<{name}>"

    @property
    def chip(self) -> Chip:
        """The chip behind this object. ValueError once it is deinitialised."""
        if self._chip is None:
            raise ValueError(DEINITIALIZED)
        return self._chip

    @property
    def deinitialized(self) -> bool:
        return self._chip is None

    def deinit(self) -> None:
        """Ends the use of this object (and closes a chip it opened). The pin stays as it is."""
        if self._chip is not None and self._owns_chip:
            self._chip.close()
        self._chip = None

    def __enter__(self) -> "ChipObject":
        self.chip  # noqa: B018 - raises when deinitialised
        return self

    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> None:
        self.deinit()


def gp_pin(pin: PinArgument, function: str) -> Pin:
    """The GP pin for a ``board`` pin or a pin number 0 to 3."""
    if isinstance(pin, Pin) and pin.number is not None:
        return pin
    if _integer_in(pin, 0, 3):
        return GP_PINS[cast(int, pin)]
    raise ArgumentError(f"{pin!r} is not one of the chip's GP pins (board.GP0 to board.GP3)", function=function)


def designate(chip: Chip, pin: Pin, designation: int, function: str, *, allowed: bool, what: str) -> None:
    """Makes sure that ``pin`` has ``designation`` at run time.

    Changes it (the other three pins as they are) when ``allowed``, else
    raises ArgumentError saying how. A pin newly made a GPIO starts as an
    input.
    """
    pins = chip.get_pin_configuration(Target.RUNTIME)
    current = pins[pin.number]
    if current.designation == designation:
        return
    if not allowed:
        raise ArgumentError(
            f"{pin.name} has designation {current.designation}, not {designation} ({what}): pass designate=True "
            f"to change it at run time, or store it in the chip's power-up configuration", function=function)
    rows = [(p.designation, int(p.direction), p.value) for p in pins]
    direction = 1 if designation == 0 else int(current.direction)
    rows[pin.number] = (designation, direction, 0 if designation == 0 else current.value)
    chip.set_pin_configuration(rows, Target.RUNTIME)

