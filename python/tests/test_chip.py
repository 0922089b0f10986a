"""Every high-level call of kelvane.Chip on virtual benches, and chips that come back."""

import ctypes
import errno
import sys
import threading

import pytest

import kelvane
from kelvane import Direction, InitialPin, PinConfiguration, PowerSource, ProtectionState, Target

ONE_CHIP = """
chip serial=KV000001
  eeprom addr7=50 size=256 pattern=index
  smbus addr7=0b block=4 pec=on pattern=index
"""

TWO_CHIPS = """
chip serial=KV000001
  eeprom addr7=50 data=11,12,13,14
chip serial=KV000002
  eeprom addr7=50 data=21,22,23,24
chip vid=04d8 pid=00dd serial=OTHER
"""


def test_listing_and_opening_by_index_and_serial_number(bench):
    library = bench(TWO_CHIPS)
    chips = kelvane.list_chips(library=library)
    assert [(c.index, c.serial) for c in chips] == [(0, "KV000001"), (1, "KV000002")]
    assert len({c.path for c in chips}) == 2 and all(chips[i].path for i in range(2))
    assert [c.serial for c in kelvane.list_chips(vid=0x04D8, pid=0x00DD, library=library)] == ["OTHER"]

    with kelvane.open(serial="KV000002", library=library) as second:
        assert (second.index, second.path) == (1, chips[1].path)
        with kelvane.open(library=library) as first:
            # Each call selects its own chip again when the other one was used.
            assert first.smbus_read_block(0x50, 0, 2) == b"\x11\x12"
            assert second.smbus_read_block(0x50, 0, 2) == b"\x21\x22"
            assert first.smbus_read_block(0x50, 0, 2) == b"\x11\x12"
        kelvane.list_chips(library=library)  # selects every chip in turn
        assert second.get_serial_number() == "KV000002"
    assert second.closed
    with pytest.raises(kelvane.KelvaneError, match="closed"):
        second.i2c_read(0x50, 1)
    with kelvane.open(1, library=library) as by_index:
        assert by_index.serial == "KV000002"


def test_chips_used_from_several_threads_keep_to_their_own_chip(bench):
    library = bench(TWO_CHIPS)
    results = {}

    def read_many(chip, key):
        results[key] = {chip.smbus_read_block(0x50, 0, 4) for _ in range(1000)}

    interval = sys.getswitchinterval()
    sys.setswitchinterval(1e-6)  # switch threads often, inside calls too
    try:
        with kelvane.open(0, library=library) as first, kelvane.open(1, library=library) as second:
            threads = [threading.Thread(target=read_many, args=(first, 1)),
                       threading.Thread(target=read_many, args=(second, 2))]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join(timeout=120)
                assert not thread.is_alive(), "a thread still waits"
    finally:
        sys.setswitchinterval(interval)
    assert results == {1: {b"\x11\x12\x13\x14"}, 2: {b"\x21\x22\x23\x24"}}


def test_one_chip_shared_by_threads_and_raw_exports_called_beside_it(bench):
    """The objects may be shared between threads, and the library serializes
    calls by itself: threads calling exports directly, without the package's
    lock, never get another call's answer (ctypes lets go of the GIL during
    each call, so the calls really overlap)."""
    library = bench(ONE_CHIP)
    wrong = []
    calls = []

    def strings(getter, expected):
        buffer = (ctypes.c_uint16 * 64)()
        for _ in range(300):
            result = getter(buffer)
            text = "".join(map(chr, buffer[:buffer[:].index(0)]))
            if result != 0 or text != expected:
                wrong.append((result, text, expected))
            calls.append(1)

    def shared_reads(chip):
        for _ in range(150):
            data = chip.smbus_read_block(0x0B, 0x10, 4, pec=True)
            if data != bytes([0x10, 0x11, 0x12, 0x13]):
                wrong.append(data)
            calls.append(1)

    with kelvane.open(library=library) as chip:
        serial, manufacturer, product = (chip.get_serial_number(), chip.get_manufacturer(),
                                         chip.get_product())
        assert len({serial, manufacturer, product}) == 3
        # The exports as attributes of the Library: ctypes functions, no lock.
        threads = [threading.Thread(target=strings, args=(library.GetSerialNumber, serial)),
                   threading.Thread(target=strings, args=(library.GetUsbStringManufacturer, manufacturer)),
                   threading.Thread(target=strings, args=(library.GetUsbStringDescriptor, product)),
                   threading.Thread(target=shared_reads, args=(chip,)),
                   threading.Thread(target=shared_reads, args=(chip,))]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join(timeout=120)
            assert not thread.is_alive(), "a thread still waits"
    assert wrong == []
    assert len(calls) == 3 * 300 + 2 * 150


def test_default_library_and_bench():
    assert [c.serial for c in kelvane.list_chips()] == ["KV000001"]
    with kelvane.open() as chip:
        assert chip.i2c_read(0x50, 4) == b"\x00\x01\x02\x03"


def test_i2c_write_then_read_back(chip):
    chip.i2c_write(0x50, [0x10, 0xAA, 0xBB], speed=400_000)
    chip.i2c_write(0x50, b"\x10")
    assert chip.i2c_read(0x50, 3, speed=48_000) == b"\xaa\xbb\x12"
    chip.i2c_write(0x50, bytearray(b"\x00"))
    memory = bytes(range(0x10)) + b"\xaa\xbb" + bytes(range(0x12, 256))
    assert chip.i2c_read(0x50, 300) == memory + memory[:44]  # several reports
    assert chip.i2c_read(0x50, 0) == b""


def test_smbus_block_transfers_with_and_without_pec(chip):
    assert chip.smbus_read_block(0x0B, 0x10, 4, pec=True) == bytes([0x10, 0x11, 0x12, 0x13])
    chip.smbus_write_block(0x0B, 0x20, [0xC1, 0xC2], pec=True)
    assert chip.smbus_read_block(0x0B, 0x20, 3) == bytes([0xC1, 0xC2, 0x22])
    chip.smbus_write_block(0x50, None, [0x05, 0x99])  # register None: data alone
    assert chip.smbus_read_block(0x50, 0x04, 3) == bytes([0x04, 0x99, 0x06])


def test_status_versions_lines_and_reset(bench):
    # ADC readings come from the status response; inject two raw values.
    library = bench("""
        chip serial=KV000001
          eeprom addr7=50
          fault kind=set-byte command=10 index=50 value=34 times=forever
          fault kind=set-byte command=10 index=51 value=12 times=forever
          fault kind=set-byte command=10 index=55 value=ff times=forever
          fault kind=set-byte command=10 index=23 value=00 times=forever
        """)
    with kelvane.open(library=library) as chip:
        assert chip.read_adc() == (0x234, 0, 0x300)  # 10 bits of each reading
        assert chip.firmware_version() == "1.2"
        assert chip.hardware_version() == "A6"
        assert (chip.scl_line(), chip.sda_line()) == (1, 0)
        assert chip.cancel_transfer() == 0
        chip.reset()
        assert chip.i2c_read(0x50, 1) == b"\xff"  # found again after re-enumerating


def test_gpio_values_directions_and_pin_configuration(bench):
    library = bench("""
        chip
          gp pin=0 designation=0 direction=out value=0
          gp pin=1 designation=0 direction=in level=1
          gp pin=2 designation=1
          gp pin=3 designation=0 direction=in level=0
        """)
    with kelvane.open(library=library) as chip:
        assert chip.gpio_read(0) is False
        chip.gpio_write(0, True)
        assert chip.gpio_read(0) is True
        assert (chip.gpio_read(1), chip.gpio_read(3)) == (True, False)
        assert chip.get_gpio_direction(1) is Direction.INPUT
        chip.set_gpio_direction(0, Direction.INPUT)
        assert chip.get_gpio_direction(0) == Direction.INPUT
        pins = chip.get_pin_configuration()
        assert [p.designation for p in pins] == [0, 0, 1, 0]
        assert pins[1].direction is Direction.INPUT

        chip.set_pin_configuration([(0, 0, 1), (0, 1, 0), (0, 0, 0), (2, 1, 0)], Target.BOTH)
        expected = [PinConfiguration(0, Direction.OUTPUT, 1), PinConfiguration(0, Direction.INPUT, 0),
                    PinConfiguration(0, Direction.OUTPUT, 0), PinConfiguration(2, Direction.INPUT, 0)]
        assert chip.get_pin_configuration() == expected
        assert chip.get_pin_configuration(Target.FLASH) == expected
        assert chip.gpio_read(0) is True
        chip.set_gpio_direction(2, Direction.INPUT, Target.FLASH)
        assert chip.get_gpio_direction(2, Target.FLASH) is Direction.INPUT
        assert chip.get_gpio_direction(2) is Direction.OUTPUT


def test_dedicated_pin_functions_and_analog_settings(chip):
    chip.set_interrupt_pin_mode(2, Target.BOTH)
    assert (chip.get_interrupt_pin_mode(), chip.get_interrupt_pin_mode(Target.FLASH)) == (2, 2)
    chip.clear_interrupt_pin_state()
    chip.set_clock_pin_configuration(5, 3, Target.FLASH)
    assert (chip.get_clock_pin_divider(Target.FLASH), chip.get_clock_pin_duty_cycle(Target.FLASH)) == (5, 3)
    chip.set_clock_pin_configuration(2, 1)
    assert (chip.get_clock_pin_divider(), chip.get_clock_pin_duty_cycle()) == (2, 1)
    for value, function in enumerate(InitialPin):
        chip.set_initial_pin_value(function, value % 2)
    assert [chip.get_initial_pin_value(f) for f in InitialPin] == [0, 1, 0, 1, 0]

    chip.set_adc_voltage_reference(2)
    chip.set_dac_voltage_reference(3)
    chip.set_dac_value(17)
    assert (chip.get_adc_voltage_reference(), chip.get_dac_voltage_reference(), chip.get_dac_value()) == (2, 3, 17)


def test_usb_settings_and_strings(chip):
    chip.set_usb_vid_pid(0x04D8, 0x00DD)
    assert (chip.get_usb_vid(), chip.get_usb_pid()) == (0x04D8, 0x00DD)
    chip.set_usb_remote_wakeup(True)
    chip.set_usb_power_source(PowerSource.SELF)  # replaces the attributes: wake-up off
    assert (chip.get_usb_power_source(), chip.get_usb_remote_wakeup()) == (PowerSource.SELF, False)
    chip.set_usb_remote_wakeup(True)
    assert chip.get_usb_remote_wakeup() is True
    chip.set_usb_current_requirement(500)
    assert chip.get_usb_current_requirement() == 500
    chip.set_serial_number_enumeration(False)
    assert chip.get_serial_number_enumeration() is False
    chip.set_serial_number_enumeration(True)
    assert chip.get_serial_number_enumeration() is True

    chip.set_manufacturer("Kelvane Ünited €")
    chip.set_product("Bridge \U0001D11E")  # a character of two 16-bit units
    chip.set_serial_number("X" * 30)
    assert chip.get_manufacturer() == "Kelvane Ünited €"
    assert chip.get_product() == "Bridge \U0001D11E"
    assert chip.get_serial_number() == "X" * 30
    assert chip.get_factory_serial_number() == "F-KELVANE-000001"


def test_flash_password_protection_round(chip):
    assert chip.get_flash_protection_state() is ProtectionState.UNPROTECTED
    chip.set_flash_password_protection("secret12")
    chip.reset()  # the chip applies its flash protection at power-up
    assert chip.get_flash_protection_state() is ProtectionState.PASSWORD
    chip.enter_access_password(b"secret12")
    chip.set_usb_current_requirement(100)  # flash writes carry the remembered password
    chip.set_product("guarded")
    chip.set_flash_protection_off()
    chip.reset()
    assert chip.get_flash_protection_state() is ProtectionState.UNPROTECTED
    assert (chip.get_usb_current_requirement(), chip.get_product()) == (100, "guarded")


def test_chips_that_come_back_elsewhere(bench, plugs):
    library = bench(f"""
        {plugs.line}
        chip serial=KV000001
          eeprom addr7=50 data=11
        chip serial=KV000002
          eeprom addr7=50 data=22
        """)
    by_serial = kelvane.open(serial="KV000001", library=library)
    by_index = kelvane.open(1, library=library)
    bus = kelvane.busio.I2C(serial="KV000001", library=library)
    assert (by_serial.by_serial, by_index.by_serial, by_index.serial) == (True, False, "KV000002")

    assert by_serial.smbus_read_block(0x50, 0, 1) == b"\x11"
    plugs.plug("1 5")  # chip 1 replugged on a new port: it comes after chip 2 now
    with pytest.raises(kelvane.TransferError) as raised:
        by_serial.smbus_read_block(0x50, 0, 1)  # the call that finds it gone fails
    assert raised.value.errno == errno.EIO
    assert by_serial.smbus_read_block(0x50, 0, 1) == b"\x11"  # the next one finds it by serial number
    assert (by_serial.index, by_serial.path) == (1, "virtual-usb-5/input0")
    assert by_index.smbus_read_block(0x50, 0, 1) == b"\x22"  # same path, index 0 now
    assert bus.try_lock()
    result = bytearray(1)
    bus.writeto_then_readfrom(0x50, b"\x00", result)
    assert result == b"\x11"

    by_serial.reset()
    plugs.plug("1 9\n2 1")  # after the reset it re-enumerates elsewhere; chip 2 takes its old port
    assert by_serial.smbus_read_block(0x50, 0, 1) == b"\x11"
    assert by_serial.path == "virtual-usb-9/input0"
    for _ in range(2):  # chip 2's path is taken by nobody it knows: gone for good
        with pytest.raises(OSError) as raised:
            by_index.smbus_read_block(0x50, 0, 1)
    assert isinstance(raised.value, kelvane.DeviceNotFoundError) and raised.value.errno == errno.ENODEV

    by_serial.set_serial_number("RENAMED")
    by_serial.reset()
    plugs.plug("1 1\n2 2")
    assert by_serial.get_serial_number() == "RENAMED"  # found by its new serial number


def test_wait_for_chip(bench, plugs, monkeypatch):
    plugs.plug("1 -")
    library = bench(f"{plugs.line}\nchip serial=LATE\n  eeprom addr7=50 data=33\n")
    with pytest.raises(kelvane.DeviceNotFoundError, match="'LATE' came within 0 s") as raised:
        kelvane.wait_for_chip("LATE", timeout=0, library=library)
    assert raised.value.errno == errno.ENODEV

    naps = []

    def plug_in_while_asleep(seconds):  # no real time passes
        naps.append(seconds)
        assert len(naps) <= 10, "the chip plugged in is not found"  # else the loop would spin until the timeout
        if len(naps) == 3:
            plugs.plug("1 4")

    monkeypatch.setattr(kelvane.chip.time, "sleep", plug_in_while_asleep)
    chip = kelvane.wait_for_chip("LATE", timeout=60, interval=0.5, library=library)
    assert (naps, chip.path, chip.i2c_read(0x50, 1)) == ([0.5] * 3, "virtual-usb-4/input0", b"\x33")
    assert kelvane.wait_for_chip(timeout=0, library=library).serial == "LATE"  # by index: the first chip
    with pytest.raises(ValueError):
        kelvane.wait_for_chip(timeout=-1, library=library)
