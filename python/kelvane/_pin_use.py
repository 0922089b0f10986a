"""A GP pin given to one CircuitPython-style object: its claim and its function.

As on a CircuitPython board, one object at a time works a pin: a second
object for a pin of the same chip raises ValueError ("GP1 in use") until
the first is deinitialised (or dropped). The object then makes sure the pin
has the function it needs, at run time only: the chip's power-up
configuration in flash is never touched.
"""

import threading
import weakref
from typing import Hashable, Tuple

from ._pins import Pin
from .chip import Chip, Target
from .errors import ArgumentError

PinKey = Tuple[Hashable, str, int]

# The object that works each pin, by (library, the chip's device path, pin number).
_users: "weakref.WeakValueDictionary[PinKey, object]" = weakref.WeakValueDictionary()
_users_lock = threading.Lock()


def claim(user: object, chip: Chip, pin: Pin, function: str) -> PinKey:
    """Records ``user`` as the one object working ``pin`` of ``chip``; ArgumentError when another does."""
    assert pin.number is not None
    key = (chip.library, chip.path, pin.number)
    with _users_lock:
        current = _users.get(key)
        if current is not None and current is not user:
            raise ArgumentError(f"{pin.name} in use (by {current!r}): deinit() it first", function=function)
        _users[key] = user
    return key


def release(user: object, key: PinKey) -> None:
    """Ends the claim of ``user`` on the pin of ``key`` (if it still holds it)."""
    with _users_lock:
        if _users.get(key) is user:
            del _users[key]


def designate(chip: Chip, pin: Pin, designation: int, function: str, *, allowed: bool, what: str) -> None:
    """Makes sure that ``pin`` has ``designation`` at run time.

    Changes it (the other three pins as they are) when ``allowed``, else
    raises ArgumentError saying how. A pin newly made a GPIO starts as an
    input.
    """
    assert pin.number is not None
    pins = chip.get_pin_configuration(Target.RUNTIME)
    current = pins[pin.number]
    if current.designation == designation:
        return
    if not allowed:
        raise ArgumentError(
            f"{pin.name} has designation {current.designation}, not {designation} ({what}), and designate=False "
            f"keeps it: designate=True (the default) changes it at run time, or store it in the chip's power-up "
            f"configuration", function=function)
    rows = [(p.designation, int(p.direction), p.value) for p in pins]
    direction = 1 if designation == 0 else int(current.direction)
    rows[pin.number] = (designation, direction, 0 if designation == 0 else current.value)
    chip.set_pin_configuration(rows, Target.RUNTIME)
