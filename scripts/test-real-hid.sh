#!/usr/bin/env bash
# The real-HID stage: runs the hidraw flavour of the library, KelvaneCLI and
# kelvane against the virtual chip served as a real HID device through the
# kernel's /dev/uhid, in a small virtual machine (qemu, TCG: no KVM needed),
# so that the hidraw backend and several processes sharing one chip are
# tested on a real kernel HID stack.
#
#   bash scripts/test-real-hid.sh [BUILD_DIR]     (default: build)
#
# Takes the programs from a normal build (BUILD_DIR/bin, BUILD_DIR/sim,
# BUILD_DIR/tests), the kernel and its HID modules from Debian's kernel
# package (downloaded with apt-get download and unpacked into
# BUILD_DIR/realhid/kernel, not installed), busybox from busybox-static and
# the programs' shared libraries from this machine; builds an initramfs whose
# init is tests/realhid/init.sh, boots it and reads the verdict from the
# serial console (kept in BUILD_DIR/realhid/console.log).
#
# Exit status: 0 when the machine's checks passed; 1 when the machine booted
# and a check failed or no verdict came; 0 with a line starting "NOTE:" when
# the machine cannot run here (no qemu, no busybox-static, no kernel package,
# or qemu could not boot it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$build/realhid
timeout_s=${KELVANE_REALHID_TIMEOUT:-300}

note() {
  echo "NOTE: real-HID stage not run: $*"
  exit 0
}
fail() {
  echo "real-HID stage: $*" >&2
  exit 1
}

command -v qemu-system-x86_64 >/dev/null || note "qemu-system-x86_64 is not installed (Debian: qemu-system-x86)"
busybox=/bin/busybox
if [ ! -x "$busybox" ] || ldd "$busybox" >/dev/null 2>&1; then
  note "no static busybox at $busybox (Debian: busybox-static)"
fi

programs=("$build/bin/KelvaneCLI" "$build/bin/kelvane" "$build/bin/KelvaneDLL-UM_x86.dll"
          "$build/sim/kelvane-uhid-chip" "$build/tests/kelvane-realhid-hammer")
for p in "${programs[@]}"; do
  [ -f "$p" ] || fail "$p is missing: build $build first (cmake --build $build)"
done

# ---- The kernel: Debian's current one, its image and three HID modules.
kernel_dir=$work/kernel
package=$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\)$/\1/p' | head -n1)
[ -n "$package" ] || note "apt-cache knows no linux-image-amd64 (run apt-get update)"
if [ "$(cat "$kernel_dir/package" 2>/dev/null)" != "$package" ]; then
  rm -rf "$kernel_dir"
  mkdir -p "$kernel_dir/download"
  download() { (cd "$kernel_dir/download" && apt-get download -q -o APT::Sandbox::User=root "$package" >/dev/null); }
  if ! download; then
    # Package lists older than the archive name a file it no longer has.
    if [ "$(id -u)" -eq 0 ]; then
      apt-get update -qq >/dev/null 2>&1 || true
    fi
    download || note "apt-get download $package failed"
  fi
  mkdir -p "$kernel_dir/unpacked"
  dpkg-deb --fsys-tarfile "$kernel_dir"/download/*.deb |
    tar -x -C "$kernel_dir/unpacked" --wildcards './boot/vmlinuz-*' \
      './lib/modules/*/kernel/drivers/hid/hid.ko' './lib/modules/*/kernel/drivers/hid/uhid.ko' \
      './lib/modules/*/kernel/drivers/hid/hid-generic.ko'
  mv "$kernel_dir"/unpacked/boot/vmlinuz-* "$kernel_dir/vmlinuz"
  mkdir -p "$kernel_dir/modules"
  mv "$kernel_dir"/unpacked/lib/modules/*/kernel/drivers/hid/*.ko "$kernel_dir/modules/"
  rm -rf "$kernel_dir/download" "$kernel_dir/unpacked"
  echo "$package" >"$kernel_dir/package"
fi

# ---- The initramfs: busybox, the modules, the programs and their libraries.
root=$work/root
rm -rf "$root"
mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules,opt/kelvane}
cp "$busybox" "$root/bin/busybox"
cp tests/realhid/init.sh "$root/init"
chmod 755 "$root/init"
cp "$kernel_dir"/modules/*.ko "$root/lib/modules/"
for p in "${programs[@]}"; do
  # Without debugging information: a smaller image, a faster boot.
  objcopy --strip-debug "$p" "$root/opt/kelvane/$(basename "$p")"
done
# The shared libraries the programs need (their own library apart), with
# the dynamic loader, at the paths where they lie here.
for p in "${programs[@]}"; do
  LD_LIBRARY_PATH=$build/bin ldd "$p"
done | awk '$1 ~ /^\// { print $1 } $3 ~ /^\// { print $3 }' | sort -u | while read -r lib; do
  case $lib in */KelvaneDLL-UM_x86.dll) continue ;; esac
  mkdir -p "$root$(dirname "$lib")"
  cp -L "$lib" "$root$lib"
done
[ -e "$root/lib64/ld-linux-x86-64.so.2" ] || fail "the programs' dynamic loader was not found"
(cd "$root" && find . | "$busybox" cpio -o -H newc 2>/dev/null) | gzip -1 >"$work/initramfs.gz"

# ---- Boot it; the verdict comes on the serial console.
log=$work/console.log
echo "booting the real-HID test machine ($package, TCG, 2 processors)"
started=$(date +%s)
set +e
timeout "$timeout_s" qemu-system-x86_64 -accel tcg -smp 2 -m 512M -nographic -no-reboot -nic none \
  -kernel "$kernel_dir/vmlinuz" -initrd "$work/initramfs.gz" \
  -append 'console=ttyS0 quiet panic=-1' </dev/null >"$log" 2>&1
qemu_status=$?
set -e
seconds=$(($(date +%s) - started))

# The console from the first line of the init program on, without the
# carriage returns of the serial line.
console=$(tr -d '\r' <"$log" | sed -n '/REALHID BOOTED/,$p')
if [ -z "$console" ]; then
  tail -n 5 "$log" | tr -d '\r' | sed 's/^/    /'
  # A kernel that started and found no working init: the initramfs is broken.
  if grep -q 'Kernel panic' "$log"; then
    fail "the test machine's kernel panicked before the tests began"
  fi
  if [ "$qemu_status" -eq 124 ]; then
    note "the test machine did not boot within ${timeout_s} s"
  fi
  note "qemu could not boot the test machine (exit status $qemu_status)"
fi
printf '%s\n' "$console"
echo "real-HID stage: the machine ran for ${seconds} s"
if printf '%s\n' "$console" | grep -q '^REALHID RESULT: PASS'; then
  exit 0
fi
if [ "$qemu_status" -eq 124 ]; then
  fail "the test machine did not finish within ${timeout_s} s"
fi
printf '%s\n' "$console" | grep -q '^REALHID RESULT: FAIL' || fail "the test machine gave no result"
fail "checks failed on the test machine"
