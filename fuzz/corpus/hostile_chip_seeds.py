#!/usr/bin/env python3
"""Writes the seed inputs of the hostile-chip fuzz target into hostile_chip/.

An input is a script read front to back (see fuzz/hostile_chip/): a byte
that picks the export, its arguments, then the outcome of every scan, open,
write and read the call makes. The seeds are well-behaved conversations with
a chip, and a few with the faults the target knows, from which the fuzzer
mutates its way into the rest.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "hostile_chip")

# Export numbers of the target's table.
CONNECTION_STATUS, GET_SERIAL, GET_FACTORY, SET_SERIAL = 3, 10, 11, 14
GET_USB_VID, SET_VID_PID, SET_PIN_CONFIG, SET_CLOCK = 23, 25, 27, 41
GET_FLASH_STATE, SET_PASSWORD, ENTER_PASSWORD = 53, 55, 57
FIRMWARE, RESET, SCL = 60, 62, 64
I2C_WRITE, I2C_READ, SMB_WRITE, SMB_READ = 66, 67, 68, 69
INIT_CUSTOM, SELECT_DEV, SELECTED_INFO = 0, 7, 6

# Platform outcomes.
OK = 0                     # a write or read that completes at once
READ_TIMEOUT = 0xA0        # a read that never completes
READ_LATE = 0xB0           # a read that times out; the answer comes later
READ_TWICE = 0xD1          # an answer, and two more copies after it
RAW = 0xE0                 # a read whose 64 bytes follow as they are


def connect(devices=1):
    """GetConnectionStatus over `devices` chips at fixed paths; the selected
    one (the first) is opened."""
    script = [CONNECTION_STATUS, devices]
    for i in range(devices):
        script += [0, i % 8]
    return script + [OK, OK]


# Whether a kept handle still reaches its device: yes, no, and yes even when
# it does not (a backend that has not noticed yet).
REACHES, STALE, SEEMS_TO_REACH = 0x00, 0xF0, 0xF8
# A write that completes, after which the device goes.
WRITTEN_THEN_GONE = 0xF0


def echo():
    """The echo of the request, every other byte 0."""
    return [OK, OK, 0x00]


def answer(status=0, state=0, byte3=0, byte8=0, byte20=0):
    return [OK, OK, 0x80, status, state, byte3, byte8, byte20]


def data(payload):
    return [OK, OK, 0x40 + len(payload)] + list(payload)


def raw(report):
    report = list(report) + [0] * (64 - len(report))
    return [OK, RAW] + report


def crc8(data, crc=0):
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = ((crc << 1) ^ 0x07) & 0xFF if crc & 0x80 else (crc << 1) & 0xFF
    return crc


def speed_taken():
    return answer(byte3=0x20)


def transfer(which, address, count, speed_pick, flags=0, index=0, seed=0):
    return [which, address, count, speed_pick, flags, index, seed]


def utf16(text):
    out = []
    for c in text:
        out += [ord(c) & 0xFF, ord(c) >> 8]
    return out


SEEDS = {
    "connect": connect(),
    "serial_number": connect() + [GET_SERIAL, 0] + raw([0xB0, 0, 2 + 2 * 8, 3] + utf16("KV000001")),
    "factory_serial": connect() + [GET_FACTORY, 0] + raw([0xB0, 0, 60, 0] + [0x41] * 60),
    "set_serial": connect() + [SET_SERIAL, 8, 0] + [ord(c) - 0x20 for c in "KV000002"] + echo(),
    "usb_vid": connect() + [GET_USB_VID] + raw([0xB0, 0, 0x80, 0x01, 0, 0, 0x09, 0x12, 0x56, 0x4B, 0x80, 0x32]),
    "set_vid_pid": connect() + [SET_VID_PID, 0x09, 0x12, 0x56, 0x4B] + echo() + echo(),
    "pin_configuration": connect() + [SET_PIN_CONFIG, 2, 0] + [0, 0, 1, 2] + [0, 1, 0, 1] + [1, 0, 1, 0]
    + echo() + echo(),
    "clock": connect() + [SET_CLOCK, 2, 3, 1] + echo() + echo() + echo() + echo(),
    "flash_password": connect() + [SET_PASSWORD, 8] + [ord(c) for c in "secret12"] + echo() + echo()
    + [ENTER_PASSWORD, 8] + [ord(c) for c in "secret12"] + answer(status=3),
    "firmware_version": connect() + [FIRMWARE, 0] + raw([0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, ord("A"),
                                                          ord("6"), ord("1"), ord("2")]),
    "reset_and_recover": connect() + [RESET, OK] + [SCL, OK, 0xC0] + [SCL] + connect()[1:] + echo(),
    "read_timeout_then_rescan": connect() + [SCL, OK, READ_TIMEOUT] + [SCL] + connect()[1:] + echo(),
    "late_answer": connect() + [SCL, OK, READ_LATE, 0x00] + [GET_FLASH_STATE] + connect()[1:] + [OK]
    + [GET_FLASH_STATE, OK] + raw([0x61]),
    "answer_twice": connect() + [SCL, OK, READ_TWICE, 0, 0, 0] + [GET_SERIAL, 0, OK] + [GET_SERIAL, 0, OK]
    + [GET_SERIAL, 0] + echo(),
    "many_devices": [CONNECTION_STATUS, 0xF6] + [0, 0x80] * 64 + [OK, OK]
    + [SELECT_DEV, 63, CONNECTION_STATUS, 0xF6] + [0, 0x80] * 64 + [REACHES, REACHES] + [OK, OK]
    + [SELECTED_INFO],
    "rescan_keeps_handles": connect(2) + connect(2)[:-2] + [REACHES, REACHES] + [SCL] + echo(),
    "rescan_stale_handle": connect() + connect()[:-2] + [STALE] + [OK, OK] + [SCL] + echo(),
    # The chip re-enumerates after a reset while the library holds its
    # handles: the next scan lists a new instance, and the handles must go
    # even if the backend still vouches for them (the two bytes after the
    # listing are its answers when asked; as open outcomes they succeed).
    "reset_then_new_instance": connect() + [RESET, WRITTEN_THEN_GONE] + connect()[:-2]
    + [SEEMS_TO_REACH, SEEMS_TO_REACH] + [SCL] + echo(),
    "odd_interfaces": [CONNECTION_STATUS, 5, 3, 1, 4, 2, 5, 3, 6, 4, 10] + list(b"HID\\VID_12") + [20]
    + list(b"/dev/x\x00y" + b"z" * 13) + [0, 0, OK, OK],
    "other_identifiers": [INIT_CUSTOM, 0xE0, 0x34, 0x12, 0, 0, 0xE0, 0x78, 0x56, 0, 0] + connect(),
    "i2c_read": connect() + transfer(I2C_READ, 0xA1, 5, 0) + speed_taken() + echo() + data([1, 2, 3, 4, 5]),
    "i2c_read_not_ready": connect() + transfer(I2C_READ, 0xA1, 61, 1) + answer() + echo() + echo()
    + data([0x3F] * 0) + [OK, OK, 0x40 + 63] + [OK, OK, 0x40 + 63] + data(range(60)) + data([60]),
    "i2c_write": connect() + transfer(I2C_WRITE, 0xA0, 61, 0, seed=7) + speed_taken() + echo() + echo()
    + answer(),
    "i2c_write_refused": connect() + transfer(I2C_WRITE, 0xA0, 3, 1) + speed_taken() + answer(status=1, state=0x01)
    + answer(status=1, state=0x44),
    "i2c_write_busy": connect() + transfer(I2C_WRITE, 0xA0, 1, 2) + speed_taken() + echo()
    + answer(byte8=0x01) * 20 + answer(),
    "smbus_read_pec": connect() + transfer(SMB_READ, 0x16, 4, 1, flags=1, index=0x10) + speed_taken() + echo()
    + answer(byte8=0x45) + echo() + data([0x10, 0x11, 0x12, 0x13, crc8([0x16, 0x10, 0x17, 0x10, 0x11, 0x12, 0x13])]),
    "smbus_write_pec": connect() + transfer(SMB_WRITE, 0x16, 2, 0, flags=1, seed=0x20) + speed_taken() + echo()
    + answer(),
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, script in SEEDS.items():
        with open(os.path.join(OUT, name), "wb") as seed:
            seed.write(bytes(b & 0xFF for b in script))


if __name__ == "__main__":
    main()
