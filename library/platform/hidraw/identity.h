// Who a hidraw interface is and where it sits, as sysfs tells it: the
// hidrawN nodes of the class directory, the kernel's name of each node's HID
// device, the device's uevent, and from them the hardware identifier by which
// the device registry recognises a chip and the device path under which
// enumeration presents the interface. Nothing here opens a device node.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::platform::hidraw {

// ---- Attribute files of sysfs -----------------------------------------------
// Reading a small attribute file of sysfs, telling a file that is not there
// from one that could not be read.

enum class SysfsReadStatus {
    kRead,    // content holds the file (at most kMaxSysfsFileSize bytes)
    kAbsent,  // no such file, or its device has gone away meanwhile
    kFailed,  // the file is there but reading it failed
};

struct SysfsFile {
    SysfsReadStatus status = SysfsReadStatus::kFailed;
    std::string content;
};

// sysfs attributes are at most one page; anything beyond this is not read.
inline constexpr std::size_t kMaxSysfsFileSize = 16384;

SysfsFile ReadSysfsFile(const std::string& path);

// ---- The hidraw class directory ---------------------------------------------
// Which hidrawN entries are present, in the order of their numbers.

struct HidrawNode {
    unsigned number = 0;
    std::string name;  // "hidrawN"
};

// The number of a kernel node name "hidrawN": a decimal number without
// leading zeros. Anything else is not a hidraw node.
std::optional<unsigned> HidrawNodeNumber(std::string_view name);

// The hidrawN entries of the class directory, sorted by number so that
// hidraw2 comes before hidraw10. A missing or unreadable directory lists
// nothing; a listing cut short by a directory read error keeps what it found.
std::vector<HidrawNode> ListHidrawNodes(const std::string& classDir);

// ---- Hexadecimal fields -----------------------------------------------------
// A field of 1 to 8 hexadecimal digits (either case), as the kernel writes
// the identifiers of a HID device in sysfs.

inline constexpr std::size_t kMaxHexDigits = 8;

// The value of a field made only of hexadecimal digits; nullopt for an empty
// field, a longer one, or any other character.
inline std::optional<std::uint32_t> ParseHexField(std::string_view field) {
    if (field.empty() || field.size() > kMaxHexDigits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : field) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = (value << 4) | digit;
    }
    return value;
}

// ---- The uevent of a HID device ---------------------------------------------
// The uevent attribute of a HID device as the kernel writes it, e.g.
//   DRIVER=hid-generic
//   HID_ID=0003:00000ACE:000000BF
//   HID_NAME=<the device's manufacturer and product strings>
//   HID_PHYS=usb-0000:00:14.0-2/input0
//   HID_UNIQ=<the device's serial-number string>
//
// HID_NAME and HID_UNIQ carry the device's own strings unfiltered: a device
// can put line breaks and whole "HID_ID=" or "HID_PHYS=" lines into them.
// The kernel itself writes exactly one HID_ID line (first) and one HID_PHYS
// line, so more than one of either means that the device's strings forged
// it, and which one is genuine cannot be told from the text alone.

struct HidId {
    std::uint32_t bus = 0;
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
};

struct HidUevent {
    std::size_t idLines = 0;    // lines that begin with "HID_ID="
    std::size_t physLines = 0;  // lines that begin with "HID_PHYS="
    // The HID_ID when there is exactly one such line and it has the form
    // bbbb:vvvvvvvv:pppppppp; absent otherwise.
    std::optional<HidId> id;
    // The HID_PHYS when there is exactly one such line; empty otherwise, or
    // when the kernel gave none.
    std::string phys;

    // The uevent has the shape the kernel gives every HID device: one HID_ID
    // line and one HID_PHYS line.
    bool WellFormed() const { return idLines == 1 && physLines == 1; }
};

HidUevent ParseHidUevent(std::string_view text);

// ---- The kernel's name of a HID device --------------------------------------
// The name the kernel gives a HID device, "BBBB:VVVV:PPPP.NNNN": bus type,
// vendor, product and an instance number, each in upper-case hexadecimal of
// at least four digits. It is the directory that holds the device's hidraw
// node (the target of the node's "device" link). The kernel forms it from
// the identifiers alone, so no string of the device can change it.

struct HidDeviceName {
    std::uint32_t bus = 0;
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    std::uint32_t instance = 0;
};

// The fields of a name of exactly that form (4 to 8 hexadecimal digits per
// field); nullopt for anything else.
std::optional<HidDeviceName> ParseHidDeviceName(std::string_view name);

// ---- The hardware identifier ------------------------------------------------
// The identifier by which the device registry recognises a chip,
// in the form a HID interface carries on Windows: "HID\VID_vvvv&PID_pppp".
// Its first 21 characters hold the bus prefix and both identifiers, so the
// registry's case-insensitive search for "vid_vvvv&pid_pppp" applies as is.

// Given to an interface whose identifiers could not be found out: it
// contains no "vid_" and so matches no chip.
inline constexpr char kUnidentifiedHardwareId[] = "HID\\UNIDENTIFIED";

// Vendor and product as four upper-case hexadecimal digits each, from their
// low 16 bits (USB identifiers are 16-bit).
std::string FormatHardwareId(std::uint32_t vendor, std::uint32_t product);

// ---- What sysfs tells about a node ------------------------------------------

struct NodeFacts {
    std::optional<std::string> hardwareId;
    std::string phys;
    // The node under the kernel's instance of its HID device,
    // "BBBB:VVVV:PPPP.NNNN/hidrawN". The kernel numbers HID devices anew at
    // every enumeration (NNNN), so this changes whenever the device behind
    // the node does, even when node and place are the same. Empty when the
    // node's "device" link cannot be followed.
    std::string instance;
};

// The identifiers come from the kernel's name of the device (where the node's
// "device" link leads), which no string of the device can reach; the uevent
// only confirms them. HID_NAME and HID_UNIQ in the uevent carry the device's
// own strings, which can forge whole HID_ID and HID_PHYS lines:
//  - a single HID_ID line must agree with the name, or the interface matches
//    no chip (it is not what it says); so does a name of another form, and a
//    missing uevent;
//  - a uevent that is there but cannot be read yields no identifier at all;
//  - the path is HID_PHYS only from a uevent of the kernel's shape, one
//    HID_ID and one HID_PHYS line; otherwise the interface is named by its
//    node, so that no device can take the place of another.
NodeFacts ReadNodeFacts(const std::string& classDir, const std::string& nodeName);

// ---- Device paths -----------------------------------------------------------
// The paths under which enumeration presents hidraw interfaces.
//
// A path names an interface by where it is attached (HID_PHYS, e.g.
// "usb-0000:00:14.0-2/input0"), not by its hidrawN number: when a chip
// resets or is replugged into the same port while the library still holds
// its old node open, the kernel gives it a new number, and the registry must
// still find it under the path it remembers.
//
// The registry folds two interfaces of one enumeration into one entry when
// their paths are equal, so the paths of one enumeration must all differ:
//  - An interface without HID_PHYS is named by its node, "<devDir>/hidrawN".
//    So is one whose uevent repeats the HID_ID or HID_PHYS line: only a
//    device's own strings can add such lines, and a place claimed that way
//    is not trusted. Such a path does not survive a re-enumeration.
//  - Interfaces that share a HID_PHYS (Bluetooth devices behind one adapter,
//    for instance) get their node name appended, "<phys> (hidrawN)". Such a
//    path changes when the node number does.

struct PathSource {
    std::string nodeName;  // "hidrawN"
    std::string phys;      // HID_PHYS, empty when unknown
};

// One path per source, in the same order.
std::vector<std::string> AssignInterfacePaths(const std::vector<PathSource>& sources,
                                              const std::string& devDir);

}  // namespace kelvane::platform::hidraw
