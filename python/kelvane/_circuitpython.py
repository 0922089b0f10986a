"""What the CircuitPython-style objects share: the chip behind them, deinit,
and the pin of those that work one.

Each object either uses a :class:`~kelvane.Chip` that it is given (and leaves
it open) or opens one of its own by index or serial number (and closes it on
``deinit``).
"""

from types import TracebackType
from typing import Optional, Type

from . import _pin_use
from ._chip_holder import ChipHolder
from ._pins import Pin
from .chip import Chip, LibraryArgument

DEINITIALIZED = "Object has been deinitialized and can no longer be used. Create a new object."


class ChipObject(ChipHolder):
    """Base of the CircuitPython-style objects: a chip lent or owned, deinit, context manager."""

    #: The pin of an object that works one pin (set before :meth:`_claim`).
    _pin: Optional[Pin] = None
    _pin_key: Optional[_pin_use.PinKey] = None

    def _claim(self, designation: int, function: str, what: str, *, allowed: bool, chip: Optional[Chip],
               index: int, serial: Optional[str], vid: int, pid: int, library: LibraryArgument) -> None:
        """Holds the chip, claims this object's pin (ValueError when
        another object works it) and makes sure that the pin has
        ``designation`` (see :func:`kelvane._pin_use.designate`); on any
        failure the object is deinitialised."""
        assert self._pin is not None
        opened = self._hold(chip, index=index, serial=serial, vid=vid, pid=pid, library=library)
        try:
            self._pin_key = _pin_use.claim(self, opened, self._pin, function)
            _pin_use.designate(opened, self._pin, designation, function, allowed=allowed, what=what)
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
        """Ends the use of this object and of its pin (and closes a chip it
        opened). The pin keeps its function."""
        if self._pin_key is not None:
            _pin_use.release(self, self._pin_key)
            self._pin_key = None
        self._let_go()

    def __enter__(self) -> "ChipObject":
        self.chip  # noqa: B018 - raises when deinitialised
        return self

    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> None:
        self.deinit()
