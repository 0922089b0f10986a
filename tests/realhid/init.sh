#!/bin/busybox sh
# The init program of the real-HID test machine (scripts/test-real-hid.sh
# builds the initramfs around it): loads the kernel's HID modules, serves the
# virtual chip on /dev/uhid (kelvane-uhid-chip), and runs the hidraw flavour
# of the library, KelvaneCLI and kelvane against it as against a chip on USB:
#   - end to end: the chip listed with its serial number, an EEPROM read, a
#     bus scan, a GPIO setting and a USB string written and read back (the
#     string across a reset, with which the device leaves and comes back),
#     and an unplug and replug;
#   - three processes reading three USB strings of the chip at the same time
#     (kelvane-realhid-hammer strings);
#   - a process killed while it holds the chip (kelvane-realhid-hammer
#     killed-holder).
# Each check prints "ok" or "FAIL" with its name; the last line is
# "REALHID RESULT: PASS" or "REALHID RESULT: FAIL", then the machine powers
# off. Every wait is bounded.

/bin/busybox --install -s /bin
export PATH=/bin:/opt/kelvane LD_LIBRARY_PATH=/opt/kelvane
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /tmp
mount -t tmpfs tmp /tmp
echo "REALHID BOOTED: kernel $(uname -r), $(nproc) processors"

SERIAL=KV000001
MANUFACTURER=Kelvane
PRODUCT="Real HID bench"
HAMMER_CALLS=150
checks=0
failures=0

# run COMMAND...: runs it, shows it and its output, keeps both in $out, $rc.
run() {
  echo "\$ $*"
  out=$("$@" 2>&1)
  rc=$?
  printf '%s\n' "$out" | sed 's/^/    /'
}
# has PATTERN...: the last output matches every extended pattern.
has() {
  for p in "$@"; do
    printf '%s\n' "$out" | grep -Eq -- "$p" || return 1
  done
}
succeeded() { [ "$rc" -eq 0 ] && has "$@"; }
failed() { [ "$rc" -ne 0 ] && has "$@"; }
# check NAME TEST...: counts the check and prints its verdict.
check() {
  name=$1
  shift
  checks=$((checks + 1))
  if "$@"; then
    echo "ok   $name"
  else
    echo "FAIL $name"
    failures=$((failures + 1))
  fi
}
# The uevent file of the chip's HID device, when a hidraw node carries it.
chip_uevent() {
  for u in /sys/class/hidraw/hidraw*/device/uevent; do
    grep -qi '^HID_ID=0003:00001209:00004B56$' "$u" 2>/dev/null && { echo "$u"; return 0; }
  done
  return 1
}
# The chip's node is there / is not.
present() {
  u=$(chip_uevent) && [ -e "/dev/$(basename "$(dirname "$(dirname "$u")")")" ]
}
absent() { ! chip_uevent >/dev/null; }
# named NAME: the chip's HID device has this name.
named() {
  u=$(chip_uevent) && grep -qx "HID_NAME=$1" "$u"
}
# wait_for TEST...: up to 10 s for the test to pass.
wait_for() {
  i=0
  while [ $i -lt 100 ]; do
    "$@" && return 0
    usleep 100000
    i=$((i + 1))
  done
  return 1
}

for m in hid uhid hid-generic; do
  insmod "/lib/modules/$m.ko" || echo "insmod $m failed"
done

kelvane-uhid-chip >/tmp/uhid-chip.log 2>&1 &
chip=$!
check "the chip appears as a hidraw device" wait_for present
started=$(cut -d' ' -f1 /proc/uptime)

echo "== end to end =="
run KelvaneCLI -devices
check "KelvaneCLI lists the chip with its serial number" succeeded "SN = \"$SERIAL\""
run KelvaneCLI -i2cr=8 -slave7=50
check "KelvaneCLI reads the EEPROM" succeeded 'I2C Read 8 bytes' '0, 0x1, 0x2, 0x3, 0x4, 0x5, 0x6, 0x7'
run kelvane detect
check "kelvane detect finds 0b and 50" succeeded '^00:.* 0b ' '^50: 50 '
run kelvane gpio 2 out 1
run kelvane gpio 2
check "a GP pin set as an output, read back" succeeded 'GP2 +gpio +out +1'

printf '[usb]\nproduct = "%s"\n' "$PRODUCT" >/tmp/product.toml
run kelvane config apply /tmp/product.toml
check "a USB string written and read back" succeeded 'written: usb.product; read back as written'
run kelvane reset
check "the chip reset" succeeded '.'
check "the chip comes back from its reset under its new name" wait_for named "$MANUFACTURER $PRODUCT"
run cat "$(chip_uevent)"
run kelvane config show
check "the USB string reads back after the reset" succeeded "product = \"$PRODUCT\""

kill -USR1 $chip
check "the unplugged chip's node goes away" wait_for absent
run KelvaneCLI -devices
check "no chip is listed while unplugged" has 'No devices connected'
run KelvaneCLI -i2cr=8 -slave7=50
check "a transfer fails while unplugged" failed '.'
kill -USR2 $chip
check "the chip's node comes back when plugged in" wait_for present
run KelvaneCLI -i2cw=00 -slave7=50
check "the replugged chip is found and written" succeeded 'Connected to device 0'
run KelvaneCLI -i2cr=8 -slave7=50
check "the replugged chip reads the EEPROM from the address written" succeeded '0, 0x1, 0x2, 0x3, 0x4, 0x5, 0x6, 0x7'

echo "== three processes, three USB strings, one command code =="
run kelvane-realhid-hammer strings $HAMMER_CALLS "$SERIAL" "$MANUFACTURER" "$PRODUCT"
check "every call got its own string" succeeded '^PASS strings'

echo "== a process killed while it holds the chip =="
run kelvane-realhid-hammer killed-holder "$SERIAL"
check "the chip is freed when its holder is killed" succeeded '^PASS killed-holder'

ended=$(cut -d' ' -f1 /proc/uptime)
echo "checks took $(echo "$ended - $started" | bc) s"
kill $chip
echo "== served chip's log =="
sed 's/^/    /' /tmp/uhid-chip.log
if [ $failures -eq 0 ]; then
  echo "REALHID RESULT: PASS ($checks checks)"
else
  echo "REALHID RESULT: FAIL ($failures of $checks checks failed)"
fi
sync
poweroff -f
