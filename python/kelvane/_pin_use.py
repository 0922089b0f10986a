"""A GP pin given to a CircuitPython-style object: the function it needs,
at run time only (the chip's power-up configuration in flash is never
touched).
"""

from ._pins import Pin
from .chip import Chip, Target
from .errors import ArgumentError


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
            f"{pin.name} has designation {current.designation}, not {designation} ({what}): pass designate=True "
            f"to change it at run time, or store it in the chip's power-up configuration", function=function)
    rows = [(p.designation, int(p.direction), p.value) for p in pins]
    direction = 1 if designation == 0 else int(current.direction)
    rows[pin.number] = (designation, direction, 0 if designation == 0 else current.value)
    chip.set_pin_configuration(rows, Target.RUNTIME)
