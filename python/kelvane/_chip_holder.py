"""The chip behind an object of the package: lent to it, or opened by it.

An object given a :class:`~kelvane.Chip` uses it and leaves it open when it
lets go; an object given an index or a serial number opens the chip itself
and closes it when it lets go. ``SMBus`` and the CircuitPython-style objects
hold their chip so.
"""

from typing import Optional

from . import chip as _chip
from .chip import Chip, LibraryArgument


class ChipHolder:
    """Base of the objects that hold one chip, lent or their own."""

    _chip: Optional[Chip] = None
    _owns_chip = False

    def _hold(self, lent: Optional[Chip], *, index: int, serial: Optional[str], vid: int, pid: int,
              library: LibraryArgument) -> Chip:
        """Holds ``lent``, or when it is None the chip with ``serial``, else
        the one at ``index``, opened here. A chip held before is let go once
        the new one is there (a chip that cannot be opened changes nothing)."""
        if lent is not None:
            if not isinstance(lent, Chip):
                raise TypeError(f"chip must be a kelvane.Chip, not {lent!r}")
            held, owned = lent, False
        else:
            held, owned = _chip.open(index=index, serial=serial, vid=vid, pid=pid, library=library), True
        self._let_go()
        self._chip, self._owns_chip = held, owned
        return held

    def _let_go(self) -> None:
        """Holds no chip any more; closes the one it held if it opened it."""
        held, owned = self._chip, self._owns_chip
        self._chip, self._owns_chip = None, False
        if held is not None and owned:
            held.close()
