// The walk over the present HID interfaces of the system, with the SetupAPI
// calls it is made of and the first hardware identifier of a device.
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
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/windows/win32.h"

#include <setupapi.h>  // after windows.h

namespace kelvane::platform::windows {

// ---- SetupAPI ---------------------------------------------------------------
// The SetupAPI calls by which the backend lists HID interfaces, gathered in
// one table so that the enumeration walk can be run on the system's own
// SetupAPI or observed and driven by a test.

struct SetupApi {
    decltype(&::SetupDiGetClassDevsW) getClassDevs;
    decltype(&::SetupDiEnumDeviceInterfaces) enumDeviceInterfaces;
    decltype(&::SetupDiGetDeviceInterfaceDetailW) getDeviceInterfaceDetail;
    decltype(&::SetupDiGetDeviceRegistryPropertyW) getDeviceRegistryProperty;
    decltype(&::SetupDiDestroyDeviceInfoList) destroyDeviceInfoList;
};

// The system's SetupAPI (setupapi.dll).
SetupApi SystemSetupApi();

// The HID device-interface class, {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr GUID kHidInterfaceClass{
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// ---- Hardware identifiers ---------------------------------------------------
// The hardware identifiers of a device (SPDRP_HARDWAREID) as SetupAPI hands
// them over: a list of terminated UTF-16 strings closed by an empty one, as
// a byte buffer whose length the system reports. The first identifier is the
// most specific one; for a HID interface it begins with the bus prefix and
// both USB identifiers, e.g. "HID\VID_1209&PID_4B56\0&KV000001&0&0".

// The registry compares only the first 21 characters; what is kept of the
// identifier beyond them does not matter, so it is bounded.
inline constexpr std::size_t kMaxHardwareIdBytes = 100;

// The first identifier of the list as UTF-8, at most kMaxHardwareIdBytes
// bytes and never cut inside a character. Only the given bytes are read: a
// list that is not terminated ends with the buffer, an odd last byte is
// ignored, and an empty buffer gives an empty identifier (which matches no
// chip). Unpaired surrogates become U+FFFD; they cannot form a match.
std::string FirstHardwareId(std::span<const std::uint8_t> property);

// ---- The walk ---------------------------------------------------------------

// More interfaces than any system presents; a walk is never longer.
inline constexpr DWORD kMaxWalkedInterfaces = 4096;
// The largest detail record or identifier list read: a device path of the
// longest length a path may have (32,767 characters) fits.
inline constexpr DWORD kMaxRecordBytes = 65536 + 16;

std::vector<HidInterface> EnumerateHidInterfaces(const SetupApi& api);

}  // namespace kelvane::platform::windows
