// The walk over the present HID interfaces of the system.
//
// One device-information set of the HID interface class, present devices
// only (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE). Its interfaces are taken at
// positions 0, 1, 2 and so on until the system has no further one. For each:
//  - the interface detail, read once for its size and once for its content:
//    the device path, and the device element that owns the interface;
//  - the first hardware identifier of that very device element
//    (SPDRP_HARDWAREID, read once for its size and once for its content).
// The hardware identifier is never taken from the device element at the
// interface's position in the set: a set may hold device elements without a
// present interface (the system keeps one for every HID device it has seen,
// and lists interfaces only for those present), and positional pairing then
// reads another device's identifier.
// Destroying the set at the end releases its device elements and interface
// records; every buffer of the walk is freed with it.
//
// An interface whose detail or identifier cannot be read (gone meanwhile,
// no hardware identifier at all, sizes beyond reason) is listed with an
// empty identifier and an empty path: it matches no chip and the walk goes
// on. A path that is not valid UTF-16 is listed empty too (it could not be
// converted back to open it). When memory runs out, the walk stops and the
// interfaces listed so far are kept.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/platform.h"
#include "platform/windows/setup_api.h"

namespace kelvane::platform::windows {

// More interfaces than any system presents; a walk is never longer.
inline constexpr DWORD kMaxWalkedInterfaces = 4096;
// The largest detail record or identifier list read: a device path of the
// longest length a path may have (32,767 characters) fits.
inline constexpr DWORD kMaxRecordBytes = 65536 + 16;

std::vector<HidInterface> EnumerateHidInterfaces(const SetupApi& api);

}  // namespace kelvane::platform::windows
