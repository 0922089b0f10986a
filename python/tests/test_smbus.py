"""kelvane.SMBus: a sensor-style driver over the virtual SMBus device, PEC, block calls."""

import pytest

import kelvane
from kelvane.smbus import packet_error_code

SENSOR_ADDRESS = 0x40
# Register map: id 0x5A at 0x00, configuration at 0x01, alarm threshold (word)
# at 0x04, calibration (6 bytes) at 0x08, raw reading (word) at 0x10.
SENSOR_BENCH = """
chip serial=KV000001
  smbus addr7=40 block=64 data=5a,00,00,00,00,00,00,00,10,00,02,00,00,00,00,00,e8,03
"""


class Hygrometer:
    """A driver written the way SMBus sensor drivers are: only bus calls."""

    CHIP_ID, CONFIG, THRESHOLD, CALIBRATION, READING = 0x00, 0x01, 0x04, 0x08, 0x10

    def __init__(self, bus, address=SENSOR_ADDRESS):
        self.bus, self.address = bus, address
        if bus.read_byte_data(address, self.CHIP_ID) != 0x5A:
            raise RuntimeError("no hygrometer")
        offset, _, gain, _, _, _ = bus.read_i2c_block_data(address, self.CALIBRATION, 6)
        self.offset, self.gain = offset, gain

    def configure(self, rate):
        self.bus.write_byte_data(self.address, self.CONFIG, 0x80 | rate)

    @property
    def configuration(self):
        return self.bus.read_byte_data(self.address, self.CONFIG)

    @property
    def threshold(self):
        return self.bus.read_word_data(self.address, self.THRESHOLD)

    @threshold.setter
    def threshold(self, value):
        self.bus.write_word_data(self.address, self.THRESHOLD, value)

    def humidity(self):
        return (self.bus.read_word_data(self.address, self.READING) - self.offset) / self.gain / 10


def test_sensor_driver_runs_unchanged_over_the_bus(bench):
    with kelvane.SMBus(library=bench(SENSOR_BENCH), speed=400_000) as bus:
        sensor = Hygrometer(bus)
        assert (sensor.offset, sensor.gain) == (0x10, 2)
        assert sensor.humidity() == (1000 - 16) / 2 / 10
        sensor.configure(3)
        sensor.threshold = 0x1234
        assert (sensor.configuration, sensor.threshold) == (0x83, 0x1234)
        # What reached the device, read past the driver: a low byte first.
        assert bus.chip.smbus_read_block(SENSOR_ADDRESS, 0x00, 6) == b"\x5a\x83\x00\x00\x34\x12"
        bus.write_i2c_block_data(SENSOR_ADDRESS, 0x20, [1, 2, 3])
        assert bus.read_i2c_block_data(SENSOR_ADDRESS, 0x1F, 5) == [0, 1, 2, 3, 0]


def test_byte_calls_quick_command_and_block_calls(bench):
    with kelvane.SMBus(library=bench("""
            chip
              eeprom addr7=50 pattern=index
              smbus addr7=0b block=64 data=00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,03,aa,bb,cc,dd
            """)) as bus:
        bus.write_byte(0x50, 0x42)  # the EEPROM takes it as its address pointer
        assert [bus.read_byte(0x50), bus.read_byte(0x50)] == [0x42, 0x43]
        bus.write_quick(0x50)
        with pytest.raises(kelvane.NackError):
            bus.write_quick(0x51)  # nobody there

        assert bus.read_block_data(0x0B, 0x10) == [0xAA, 0xBB, 0xCC]  # the count byte says 3
        bus.write_block_data(0x0B, 0x30, [9, 8])
        assert bus.read_i2c_block_data(0x0B, 0x30, 3) == [2, 9, 8]
        assert bus.read_block_data(0x0B, 0x30) == [9, 8]
        assert bus.read_block_data(0x0B, 0x40) == []


def test_pec_on_every_transfer_that_carries_it(bench):
    library = bench("""
        chip
          smbus addr7=0b block=2 pec=on pattern=index
          smbus addr7=0c block=1 pec=on pattern=index
          smbus addr7=0d block=4 pec=on data=00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,03,aa,bb,cc
        """)
    chip = kelvane.open(library=library)
    with kelvane.SMBus(chip, pec=True) as bus:
        # The device drops any write whose PEC is wrong or missing.
        bus.write_word_data(0x0B, 0x20, 0xBEEF)
        assert bus.read_word_data(0x0B, 0x20) == 0xBEEF
        bus.write_byte_data(0x0B, 0x22, 0x77)
        bus.write_block_data(0x0B, 0x40, [5])
        bus.pec = False
        assert bus.read_i2c_block_data(0x0B, 0x22, 1) == [0x77]
        assert bus.read_i2c_block_data(0x0B, 0x40, 2) == [1, 5]
        bus.pec = True

        bus.write_byte(0x0C, 0x07)  # sets the register index
        assert bus.read_byte(0x0C) == 0x07  # received byte and its PEC
        assert bus.read_block_data(0x0D, 0x10) == [0xAA, 0xBB, 0xCC]

        with pytest.raises(kelvane.PecError) as raised:
            bus.read_byte_data(0x0B, 0x20)  # this device sends its PEC after two bytes
        assert raised.value.code == -12
        with pytest.raises(kelvane.PecError):
            bus.read_block_data(0x0B, 0x10)
    assert not chip.closed  # the bus leaves a chip it was given open


def test_packet_error_code_is_smbus_crc8():
    assert packet_error_code(b"123456789") == 0xF4  # the CRC-8 check value
    assert packet_error_code(b"") == 0


def test_calls_the_chip_cannot_express_and_bad_arguments():
    with kelvane.SMBus() as bus:  # chip 0 of the default bench
        assert bus.read_byte_data(0x0B, 0x10) == 0x10
        for call in (lambda: bus.process_call(0x0B, 0, 0x1234),
                     lambda: bus.block_process_call(0x0B, 0, [1]),
                     lambda: bus.i2c_rdwr()):
            with pytest.raises(kelvane.UnsupportedError) as raised:
                call()
            assert isinstance(raised.value, NotImplementedError)
        for call in (lambda: bus.write_byte_data(0x0B, 0, 256), lambda: bus.write_word_data(0x0B, 0, -1),
                     lambda: bus.read_i2c_block_data(0x0B, 0, 33), lambda: bus.write_block_data(0x0B, 0, [0] * 33),
                     lambda: bus.read_byte(0x80)):
            with pytest.raises(kelvane.ArgumentError):
                call()
        chip = bus.chip
    assert chip.closed
    with pytest.raises(kelvane.KelvaneError, match="closed"):
        bus.read_byte(0x50)
