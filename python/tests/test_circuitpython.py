"""kelvane.busio, digitalio, analogio and board: a CircuitPython-style driver,
pins and analog objects against virtual benches."""

import ast
from pathlib import Path

import pytest

import kelvane
from kelvane import analogio, board, busio, digitalio
from kelvane.chip import Direction as ChipDirection


class I2CDevice:
    """The I2C-device helper that CircuitPython drivers go through: it probes
    the address with an empty write, falling back to a one-byte read, and
    takes the bus's lock around each use."""

    def __init__(self, i2c, device_address):
        self.i2c, self.device_address = i2c, device_address
        with self:
            try:
                i2c.writeto(device_address, b"")
            except OSError:
                try:
                    i2c.readfrom_into(device_address, bytearray(1))
                except OSError:
                    raise ValueError(f"No I2C device at address: 0x{device_address:x}") from None

    def readinto(self, buf, *, start=0, end=None):
        self.i2c.readfrom_into(self.device_address, buf, start=start, end=end)

    def write(self, buf, *, start=0, end=None):
        self.i2c.writeto(self.device_address, buf, start=start, end=end)

    def write_then_readinto(self, out_buffer, in_buffer, *, out_start=0, out_end=None, in_start=0, in_end=None):
        self.i2c.writeto_then_readfrom(self.device_address, out_buffer, in_buffer, out_start=out_start,
                                       out_end=out_end, in_start=in_start, in_end=in_end)

    def __enter__(self):
        # A driver waits for the lock without end; a test that never gets it fails instead.
        for _ in range(1000):
            if self.i2c.try_lock():
                return self
        raise AssertionError("the bus stays locked")

    def __exit__(self, *exc):
        self.i2c.unlock()
        return False


class Barometer:
    """A driver as CircuitPython drivers are written: one buffer, slices of it."""

    CHIP_ID, CONTROL, PRESSURE = 0xD0, 0xF4, 0xF7

    def __init__(self, i2c, address=0x76):
        self.device = I2CDevice(i2c, address)
        self.buffer = bytearray(4)
        if self._read(self.CHIP_ID, 1)[0] != 0x58:
            raise RuntimeError("no barometer")

    def _read(self, register, count):
        self.buffer[0] = register
        with self.device as device:
            device.write_then_readinto(self.buffer, self.buffer, out_end=1, in_start=1, in_end=1 + count)
        return self.buffer[1:1 + count]

    @property
    def mode(self):
        return self._read(self.CONTROL, 1)[0] & 0x03

    @mode.setter
    def mode(self, value):
        with self.device as device:
            device.write(bytes([self.CONTROL, value, 0xFF]), end=2)

    @property
    def pressure(self):
        raw = self._read(self.PRESSURE, 3)
        return (raw[0] << 12 | raw[1] << 4 | raw[2] >> 4) / 256


BAROMETER_BENCH = """
chip
  smbus addr7=76 block=8 data={}
  eeprom addr7=50 pattern=index
""".format(",".join(["00"] * 0xD0 + ["58"] + ["00"] * 0x23 + ["03", "00", "00", "65", "5a", "c0"]))


def test_circuitpython_driver_runs_unchanged_over_busio(bench):
    library = bench(BAROMETER_BENCH)
    with busio.I2C(board.SCL, board.SDA, frequency=400_000, library=library) as i2c:
        sensor = Barometer(i2c)
        assert sensor.pressure == (0x65 << 12 | 0x5A << 4 | 0xC) / 256
        assert sensor.mode == 3
        sensor.mode = 1
        assert sensor.mode == 1
        with pytest.raises(ValueError, match="0x77"):
            Barometer(i2c, 0x77)
        with I2CDevice(i2c, 0x50):
            assert i2c.scan() == [0x50, 0x76]
            buffer = bytearray(b"\xee" * 6)
            i2c.writeto(0x50, bytes([0x00, 0x10]), start=1)  # the pointer to 0x10
            i2c.readfrom_into(0x50, buffer, start=1, end=-2)
            assert buffer == b"\xee\x10\x11\x12\xee\xee"
            i2c.writeto(0x50, bytes([0x30, 0xA1, 0xA2]))
            i2c.writeto_then_readfrom(0x50, bytes([0x30, 0xC3]), buffer)  # two bytes out: write, stop, read
            assert buffer == bytes([0xA2, 0x32, 0x33, 0x34, 0x35, 0x36])
            i2c.writeto_then_readfrom(0x50, b"", buffer, in_end=1)  # nothing out: the read alone
            assert buffer[0] == 0x37
            i2c.writeto_then_readfrom(0x50, bytes([0x30]), buffer, in_end=2)
            assert buffer[:2] == b"\xc3\xa2"
            assert i2c.try_lock() is False  # held already
        with pytest.raises(RuntimeError, match="requires lock"):
            i2c.scan()
    with pytest.raises(ValueError, match="deinitialized"):
        i2c.try_lock()
    for arguments in ({"frequency": 40_000}, {"scl": board.GP0}):
        with pytest.raises(ValueError):
            busio.I2C(library=library, **arguments)


def test_the_probe_falls_back_to_a_read_and_scan_reads_where_writes_could_harm(bench):
    # Every write ends with the address flag set: nobody acknowledges a write.
    library = bench("""
        chip
          smbus addr7=0b
          eeprom addr7=50
          fault kind=set-byte command=10 index=20 value=40 times=forever
        """)
    i2c = busio.I2C(library=library)
    I2CDevice(i2c, 0x0B)  # found by its one-byte read
    assert i2c.try_lock()
    assert i2c.scan() == [0x50]  # 0x50 answers the read that probes it
    with pytest.raises(OSError) as raised:
        i2c.writeto(0x50, b"\x00")
    assert raised.value.errno == 121
    i2c.deinit()


PINS_BENCH = """
chip serial=PINS
  gp pin=0 designation=0 direction=out value=1
  gp pin=1 designation=0 direction=in level=1
  gp pin=2 designation=3
  gp pin=3 designation=1
"""


def test_digital_pins_against_the_bench(bench):
    chip = kelvane.open(library=bench(PINS_BENCH))
    led = digitalio.DigitalInOut(board.GP0, chip=chip)
    assert (led.direction, led.value, led.drive_mode) == (digitalio.Direction.OUTPUT, True, digitalio.DriveMode.PUSH_PULL)
    led.value = False
    assert chip.gpio_read(0) is False
    with pytest.raises(AttributeError):
        led.pull  # noqa: B018
    led.switch_to_input()
    assert (led.direction, led.pull, led.value) == (digitalio.Direction.INPUT, None, False)

    with digitalio.DigitalInOut(1, chip=chip) as button:
        assert button.value is True
        with pytest.raises(AttributeError):
            button.value = False
        with pytest.raises(ValueError):
            button.pull = digitalio.Pull.UP
        with pytest.raises(ValueError):
            button.switch_to_output(drive_mode=digitalio.DriveMode.OPEN_DRAIN)
        button.direction = digitalio.Direction.OUTPUT  # drives low
        assert (chip.get_gpio_direction(1), chip.gpio_read(1)) == (ChipDirection.OUTPUT, False)
        button.switch_to_output(value=True)
        assert chip.gpio_read(1) is True
    with pytest.raises(ValueError):
        button.value  # noqa: B018
    assert not chip.closed  # a chip handed in stays open

    with pytest.raises(ValueError, match="designate=True"):
        digitalio.DigitalInOut(board.GP3, chip=chip, designate=False)
    before = chip.get_pin_configuration()
    gp3 = digitalio.DigitalInOut(board.GP3, chip=chip, designate=True)
    assert gp3.direction is digitalio.Direction.INPUT
    after = chip.get_pin_configuration()
    assert after[:3] == before[:3] and (after[3].designation, after[3].direction) == (0, ChipDirection.INPUT)
    for pin in (board.SDA, 4):
        with pytest.raises(ValueError):
            digitalio.DigitalInOut(pin, chip=chip)


ANALOG_BENCH = """
chip serial=ANALOG
  gp pin=1 designation=2
  gp pin=2 designation=0
  fault kind=set-byte command=10 index=50 value=ff times=forever
  fault kind=set-byte command=10 index=51 value=03 times=forever
  fault kind=set-byte command=10 index=55 value=02 times=forever
"""


def test_analog_in_and_out_against_the_bench(bench):
    library = bench(ANALOG_BENCH)
    with analogio.AnalogIn(board.GP1, serial="ANALOG", library=library) as full:
        assert full.value == 65535  # reading 1023
        assert full.reference_voltage == 3.3  # reference 0: the supply
        full.chip.set_adc_voltage_reference(2)
        assert full.reference_voltage == 2.048
    with pytest.raises(ValueError, match="designate=True"):
        analogio.AnalogIn(board.GP3, designate=False, library=library)
    half = analogio.AnalogIn(board.GP3, designate=True, supply_voltage=5.0, library=library)
    assert half.value == 32800  # reading 512
    half.chip.set_adc_voltage_reference(0)
    assert half.reference_voltage == 5.0
    with pytest.raises(ValueError, match="no ADC"):
        analogio.AnalogIn(board.GP0, library=library)

    with pytest.raises(ValueError, match="designate=True"):
        analogio.AnalogOut(board.GP2, designate=False, library=library)
    out = analogio.AnalogOut(board.GP2, designate=True, library=library)
    assert out.chip.get_pin_configuration()[2].designation == board.DAC_DESIGNATION
    for value, step in ((65535, 31), (32768, 16), (2047, 0)):
        out.value = value
        assert out.chip.get_dac_value() == step
    with pytest.raises(AttributeError):
        out.value  # noqa: B018 - write only, as in CircuitPython
    with pytest.raises(ValueError):
        out.value = 65536
    with pytest.raises(ValueError, match="no DAC"):
        analogio.AnalogOut(board.GP1, library=library)


def test_the_objects_give_their_pin_its_function_at_run_time_and_flash_keeps_its_own(bench):
    chip = kelvane.open(library=bench(PINS_BENCH + "  adc channel=2 max=2500\n"))  # GP2: the DAC, 2.5 V on it
    flash = chip.get_pin_configuration(kelvane.Target.FLASH)
    gp3 = digitalio.DigitalInOut(board.GP3, chip=chip)  # designation 1
    level = analogio.AnalogIn(board.GP2, chip=chip)
    assert [p.designation for p in chip.get_pin_configuration()] == [0, 0, board.ADC_DESIGNATION, 0]
    assert (gp3.direction, level.value) == (digitalio.Direction.INPUT, 32800)  # 512 of 1023 against 5 V
    assert chip.get_pin_configuration(kelvane.Target.FLASH) == flash
    level.deinit()
    with pytest.raises(ValueError, match="designate=False"):
        analogio.AnalogOut(board.GP2, chip=chip, designate=False)
    assert chip.get_pin_configuration()[2].designation == board.ADC_DESIGNATION  # the refusal changed nothing
    chip.reset()
    assert chip.get_pin_configuration() == flash  # after a reset each pin has its power-up function again


def test_a_pin_works_for_one_object_at_a_time(bench):
    library = bench("chip serial=FIRST\n  adc channel=1 max=5000\nchip serial=SECOND\n")
    chip = kelvane.open(serial="FIRST", library=library)
    with pytest.raises(ValueError, match="designation 0"):
        analogio.AnalogIn(board.GP1, chip=chip, designate=False)  # refused: leaves no claim behind
    level = analogio.AnalogIn(board.GP1, chip=chip)
    for second in (lambda: digitalio.DigitalInOut(board.GP1, chip=chip),
                   lambda: analogio.AnalogIn(1, serial="FIRST", library=library),  # another Chip object for it
                   lambda: digitalio.DigitalInOut(board.GP1, chip=chip, designate=False)):
        with pytest.raises(ValueError, match="GP1 in use"):
            second()
    assert chip.get_pin_configuration()[1].designation == board.ADC_DESIGNATION and level.value == 65535
    other_chip = digitalio.DigitalInOut(board.GP1, serial="SECOND", library=library)
    assert other_chip.chip.get_pin_configuration()[1].designation == board.GPIO_DESIGNATION
    level.deinit()
    button = digitalio.DigitalInOut(board.GP1, chip=chip)
    with pytest.raises(ValueError, match="GP1 in use"):
        analogio.AnalogIn(board.GP1, chip=chip)
    del button  # dropped without deinit: the pin is free too
    assert analogio.AnalogIn(board.GP1, chip=chip).value == 65535


def test_circuitpython_lines_run_unchanged_on_the_default_bench():
    level, switch = analogio.AnalogIn(board.GP2), digitalio.DigitalInOut(board.GP1)  # the session's library
    try:
        assert (level.value, switch.direction, switch.value) == (0, digitalio.Direction.INPUT, False)
        assert [p.designation for p in level.chip.get_pin_configuration()] == [0, 0, board.ADC_DESIGNATION, 0]
        assert [p.designation for p in level.chip.get_pin_configuration(kelvane.Target.FLASH)] == [0, 0, 0, 0]
    finally:
        level.chip.reset()  # the next test finds the bench as it was
        level.deinit()
        switch.deinit()


def import_loop(folder):
    """A loop of imports among the package's modules (in functions and
    TYPE_CHECKING blocks too) as a list of module names, or None."""
    imports = {}
    for path in Path(folder).glob("*.py"):
        if path.stem != "__init__":  # the package itself imports every module
            nodes = ast.walk(ast.parse(path.read_text(encoding="utf-8")))
            imports[path.stem] = {name for node in nodes if isinstance(node, ast.ImportFrom) and node.level == 1
                                  for name in ([node.module] if node.module else [a.name for a in node.names])}
    done = set()

    def visit(module, path):
        if module in path:
            return path[path.index(module):] + [module]
        if module in done or module not in imports:
            return None
        for imported in sorted(imports[module]):
            loop = visit(imported, path + [module])
            if loop:
                return loop
        done.add(module)
        return None

    return next(filter(None, (visit(module, []) for module in sorted(imports))), None)


def test_the_package_modules_import_one_another_without_a_loop():
    assert import_loop(Path(kelvane.__file__).parent) is None
