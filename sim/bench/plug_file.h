// The plug file of a bench of virtual chips: which USB port each chip of the
// bench sits in now. The virtual-chip flavour reads it before every
// enumeration and before every report it writes, so that whoever runs a
// program against the virtual chips (a test, a user at a shell) can unplug a
// chip and plug it in again, on another port too, while the program runs. docs/virtual-bench.md describes
// the format; in short, one line per chip that is not in its own port:
//
//   # bench port   port it sits in now (- = unplugged)
//   1              5
//   2              -
//
// A chip keeps its state wherever it sits; the state file keeps it under the
// bench port.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/sim_platform.h"

namespace kelvane::sim {

// Bench port name -> the port its chip sits in, nullopt when unplugged.
using PlugWiring = std::map<std::string, std::optional<std::string>, std::less<>>;

// The wiring the text asks for, or nullopt when a line is malformed (not two
// words, a port name that is not 1 to 16 letters, digits, '-' or '_', or a
// bench port named twice).
std::optional<PlugWiring> ParsePlugFile(std::string_view text);

// The platform of a bench whose chips move as its plug file says. Without a
// plug file it is the plain virtual platform.
class PlugFilePlatform : public SimPlatform {
public:
    // plugFile empty: no plug file.
    PlugFilePlatform(Bench& bench, std::string plugFile);

    // Applies the plug file (see Reload), then lists the present interfaces
    // in the order of their ports: the bench's ports first, then every other
    // port in the order in which the plug file first named it.
    std::vector<platform::HidInterface> EnumerateInterfaces() override;
    // Applies the plug file, then writes the report: to a chip that has been
    // unplugged or moved since the handle was opened, it fails as to a gone
    // device.
    platform::TransferStatus Write(platform::DeviceHandle handle, const platform::WireReport& report,
                                   std::uint32_t timeoutMs) override;

    // Puts the chips where the wiring says. False, with nothing changed, when
    // the wiring names a bench port that holds no chip or puts two devices
    // into one port.
    bool Apply(const PlugWiring& wiring);

private:
    // Applies the plug file when its text has changed since it was last
    // read. No file is an empty one: every chip in its own port. Anything
    // but a regular file of at most 64 KiB is malformed; it is not opened
    // (a FIFO would block) or not read past that size.
    void Reload();
    std::size_t PositionOf(const std::string& path) const;

    Bench& bench_;
    std::filesystem::path plugFile_;
    // The text last applied; none yet, or a refused file since.
    std::string appliedText_;
    bool textApplied_ = false;
    // The text of the last read, kept to be read into again.
    std::string readText_;
    // Where each bench port's chip sits now (nullopt: unplugged); only the
    // bench ports that hold a chip.
    std::map<std::string, std::optional<std::string>, std::less<>> placement_;
    // Port names in enumeration order.
    std::vector<std::string> portOrder_;
};

}  // namespace kelvane::sim
