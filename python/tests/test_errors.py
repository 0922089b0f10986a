"""Every exception class, from fault benches: codes, texts, messages and the
errno of Linux's I2C stack."""

import errno

import pytest

import kelvane
from kelvane import Target


def _open(bench, text: str) -> kelvane.Chip:
    return kelvane.open(library=bench(text))


def test_transfer_errors_carry_code_and_page_text(bench):
    chip = _open(bench, """
        chip
          eeprom addr7=50
          fault kind=no-answer command=91
          fault kind=refuse command=91 skip=1 value=00
          fault kind=status command=10 value=01 skip=2
        """)
    with pytest.raises(kelvane.TransferError) as raised:
        chip.i2c_read(0x50, 1)
    assert (raised.value.code, raised.value.text) == (-5, "Kelvane read failed")
    assert str(raised.value) == "ReadI2cData: Kelvane read failed (code -5)"
    assert isinstance(raised.value, OSError) and raised.value.errno == errno.EIO
    with pytest.raises(kelvane.TransferError) as raised:
        chip.i2c_read(0x50, 1)
    assert (raised.value.code, raised.value.text) == (-24, "Transfer wasn't possible")
    with pytest.raises(kelvane.TransferError) as raised:
        chip.smbus_read_block(0x50, 0, 1)  # the first speed exchange is refused
    assert (raised.value.code, raised.value.text, raised.value.errno) == (-8, "Command failed", errno.EIO)


def test_nack_pec_and_timeout(bench):
    chip = _open(bench, """
        chip
          eeprom addr7=50 wp=on
          smbus addr7=0b
        """)
    with pytest.raises(OSError) as raised:
        chip.i2c_read(0x51, 2)
    assert isinstance(raised.value, kelvane.NackError)
    assert (raised.value.code, raised.value.text, raised.value.errno) == (-23, "Address NACK received", 121)
    assert str(raised.value) == "ReadI2cData: Address NACK received (code -23)"  # no "[Errno 121]"
    with pytest.raises(kelvane.NackError) as raised:
        chip.i2c_write(0x51, b"")
    assert (raised.value.code, raised.value.errno) == (-23, 121)
    with pytest.raises(kelvane.NackError) as raised:
        chip.smbus_read_block(0x51, 0, 1)
    assert (raised.value.code, raised.value.text) == (-11, "SMBus slave data NACK received")
    assert raised.value.errno == 121

    with pytest.raises(kelvane.PecError) as raised:
        chip.smbus_read_block(0x50, 0, 4, pec=True)  # an EEPROM sends no PEC
    assert (raised.value.code, raised.value.text) == (-12, "Wrong PEC (SMBus only)")
    assert raised.value.errno == errno.EBADMSG

    with pytest.raises(kelvane.TransferTimeoutError) as raised:
        chip.i2c_write(0x50, b"\x00\x01")  # write-protected: the data byte is not acknowledged
    assert (raised.value.code, raised.value.text, raised.value.errno) == (-18, "Timeout", errno.ETIMEDOUT)
    assert isinstance(raised.value, TimeoutError) and isinstance(raised.value, kelvane.TransferError)


def test_a_hung_bus_times_out(bench):
    chip = _open(bench, "chip\n  eeprom addr7=50\n  engine hung=on\n")
    with pytest.raises(kelvane.TransferTimeoutError):
        chip.i2c_write(0x50, b"\x00")


def test_argument_errors_from_the_library_and_from_python(chip):
    with pytest.raises(kelvane.ArgumentError) as raised:
        chip.set_usb_current_requirement(99)
    assert raised.value.code == -201 and "milliamperes" in str(raised.value)
    with pytest.raises(kelvane.ArgumentError) as raised:
        chip.i2c_read(0x50, 1, speed=1000)
    assert raised.value.code == -204 and "(speed)" in str(raised.value)
    with pytest.raises(kelvane.ArgumentError) as raised:
        chip.set_gpio_direction(1, 1, Target.BOTH + 1)
    assert raised.value.code == -201
    for call in (lambda: chip.i2c_read(0x80, 1), lambda: chip.i2c_write(0x50, [256]),
                 lambda: chip.i2c_read(0x50, 65_536), lambda: chip.gpio_read(256),
                 lambda: chip.set_product("a\0b"), lambda: chip.enter_access_password(12345678)):
        with pytest.raises(kelvane.ArgumentError) as raised:
            call()
        assert raised.value.code is None and isinstance(raised.value, ValueError)
        assert not isinstance(raised.value, OSError)  # a scan loop's "except OSError" lets it through
    with pytest.raises(kelvane.ArgumentError) as raised:
        chip.set_serial_number("X" * 31)  # the library refuses what it cannot store whole
    assert raised.value.code == -201


def test_device_not_found(bench):
    library = bench("chip serial=ONLY")
    with pytest.raises(kelvane.DeviceNotFoundError) as raised:
        kelvane.open(1, library=library)
    assert (raised.value.code, raised.value.errno) == (-2, errno.ENODEV)
    with pytest.raises(kelvane.DeviceNotFoundError, match="'only'"):
        kelvane.open(serial="only", library=library)  # letter case counts
    assert kelvane.list_chips(vid=0x1234, library=library) == []
    with pytest.raises(kelvane.DeviceNotFoundError):
        kelvane.open(vid=0x1234, library=library)


def test_chip_status_errors_from_setters_and_getters(bench):
    chip = _open(bench, """
        chip
          fault kind=status command=60 value=07
          fault kind=status command=61 value=99
        """)
    with pytest.raises(kelvane.ChipStatusError) as raised:
        chip.set_dac_value(3)
    assert (raised.value.code, raised.value.status, raised.value.errno) == (7, 7, errno.EIO)
    with pytest.raises(kelvane.ChipStatusError) as raised:
        chip.get_interrupt_pin_mode()  # 0x99 is no mode: it is the status byte
    assert raised.value.code == 0x99


def test_pin_and_settings_errors(bench):
    chip = _open(bench, """
        chip
          gp pin=2 designation=1
          fault kind=set-byte command=b0 index=12 value=20 times=forever
          fault kind=set-byte command=61 index=6 value=20 times=forever
        """)
    with pytest.raises(kelvane.NotGpioError) as raised:
        chip.gpio_read(2)
    assert (raised.value.code, raised.value.errno) == (-10, errno.EBUSY)
    with pytest.raises(kelvane.NotGpioError):
        chip.get_gpio_direction(2)
    with pytest.raises(kelvane.SettingsError) as raised:
        chip.get_usb_power_source()  # attributes 0x20: neither bus nor self power
    assert raised.value.code == -15
    with pytest.raises(kelvane.SettingsError) as raised:
        chip.get_dac_voltage_reference()  # selector 1 has no reference number
    assert (raised.value.code, raised.value.errno) == (-9, errno.EPROTO)


def test_flash_locked_and_password_rejected(bench):
    chip = _open(bench, "chip serial=A")
    chip.set_flash_password_protection("secret12")
    chip.reset()
    with pytest.raises(kelvane.PasswordRejectedError) as raised:
        chip.enter_access_password("wrong-password")
    assert (raised.value.code, raised.value.errno) == (-14, errno.EACCES)

    chip.set_flash_permanent_lock()  # the remembered password opens the chip for it
    with pytest.raises(kelvane.FlashLockedError) as raised:
        chip.set_flash_protection_off()
    assert (raised.value.code, raised.value.errno) == (-13, errno.EROFS)
    with pytest.raises(kelvane.FlashLockedError):
        chip.set_flash_password_protection("another1")
