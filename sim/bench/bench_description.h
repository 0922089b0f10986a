// What a bench of virtual chips is made of, as a bench file describes it:
// the chips in enumeration order with the devices on their buses, their
// pins and their faults, other HID devices, and the state file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "chip/fault_injector.h"
#include "chip/gp_pin.h"
#include "chip/input_signals.h"

namespace kelvane::sim {

// Initial contents of a device's memory: every byte `fill`, or byte i = i
// (low 8 bits) with `indexPattern`, then `data` from address 0 on.
struct MemoryContents {
    std::uint8_t fill = 0xFF;
    bool indexPattern = false;
    std::vector<std::uint8_t> data;
};

struct EepromDescription {
    std::uint8_t address7 = 0;
    std::size_t size = 256;
    MemoryContents contents;
    bool writeProtected = false;
};

struct SmbusDescription {
    std::uint8_t address7 = 0;
    std::size_t registers = 256;
    std::size_t blockLength = 4;
    bool pecRequired = false;
    MemoryContents contents{0x00, false, {}};
};

// A GP pin's power-up configuration, and the level an input sees (which
// flips every toggleMs milliseconds of the wall clock, when not 0).
struct PinDescription {
    std::size_t pin = 0;
    GpPin config;
    std::uint8_t inputLevel = 0;
    std::uint32_t toggleMs = 0;
};

// The signal at an ADC channel (1 to 3).
struct AnalogDescription {
    std::size_t channel = 1;
    AnalogSignal signal;
};

struct ChipDescription {
    std::uint16_t vendorId = kDefaultVendorId;
    std::uint16_t productId = kDefaultProductId;
    // Empty: the chip keeps its factory serial number.
    std::u16string serialNumber;
    std::vector<EepromDescription> eeproms;
    std::vector<SmbusDescription> smbusDevices;
    // 7-bit addresses of write-only devices (display controllers).
    std::vector<std::uint8_t> displays;
    std::vector<PinDescription> pins;
    std::vector<AnalogDescription> analogInputs;
    std::vector<FaultRule> faults;
    std::optional<std::uint8_t> forcedEngineState;
    bool busHung = false;
    std::uint32_t extraReadBytes = 0;
};

// One position of the enumeration order: a chip, or another HID device
// known by its hardware identifier.
struct PortDescription {
    std::optional<ChipDescription> chip;
    std::string foreignHardwareId;
};

inline constexpr char kDefaultStateFile[] = "kelvane-virtual-state.txt";

struct BenchDescription {
    std::vector<PortDescription> ports;
    // Where the chips' state is kept between runs; empty: nowhere.
    std::string stateFile = kDefaultStateFile;
    // The plug file that says which port each chip sits in now
    // (sim/plug_file.h); empty: none, every chip stays in its port.
    std::string plugFile;
};

// The bench of a run without a bench file: one chip with the default
// identifiers and serial number KV000001, an EEPROM of 256 bytes at 0x50
// holding byte i = i, and an SMBus device with PEC at 0x0B (block length 4,
// registers 0 to 255 holding register i = i).
BenchDescription DefaultBenchDescription();

// The bench of a bench file whose text cannot be read: no device at all,
// and no state file (an earlier state stays as it was).
BenchDescription EmptyBenchDescription();

// Names ports "1", "2", ... in order and puts the described devices into
// them.
void BuildBench(const BenchDescription& description, Bench& bench);

}  // namespace kelvane::sim
