#include "bench/chip_state_file.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <vector>

#include "bench/text_file.h"
#include "slaves/eeprom_slave.h"
#include "slaves/smbus_device.h"

namespace kelvane::sim {
namespace {

constexpr char kHeader[] = "kelvane-virtual-state 1";
constexpr std::size_t kPinBytes = 4;

// ---- Text of numbers -------------------------------------------------------

void PutHexByte(std::string& text, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    text.reserve(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        PutHexByte(text, bytes[i]);
    }
    return text;
}

std::string HexUnits(const std::u16string& units) {
    std::string text;
    for (char16_t unit : units) {
        PutHexByte(text, static_cast<std::uint8_t>(unit >> 8));
        PutHexByte(text, static_cast<std::uint8_t>(unit & 0xFF));
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::optional<std::vector<std::uint8_t>> BytesOf(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> BytesOf(std::string_view text, std::size_t count) {
    auto bytes = BytesOf(text);
    return bytes && bytes->size() == count ? bytes : std::nullopt;
}

std::optional<std::u16string> UnitsOf(std::string_view text, std::size_t maxUnits) {
    const auto bytes = BytesOf(text);
    if (!bytes || bytes->size() % 2 != 0 || bytes->size() / 2 > maxUnits) {
        return std::nullopt;
    }
    std::u16string units;
    for (std::size_t i = 0; i < bytes->size(); i += 2) {
        units.push_back(static_cast<char16_t>((*bytes)[i] << 8 | (*bytes)[i + 1]));
    }
    return units;
}

// ---- One chip's state ----------------------------------------------------

constexpr std::size_t kMaxStringUnits = 30;
constexpr std::size_t kMaxFactorySerial = 60;

struct DeviceMemory {
    bool eeprom = false;
    std::size_t pointer = 0;  // EEPROM: where the next access starts
    std::vector<std::uint8_t> bytes;
};

struct ChipState {
    std::string identity;  // "<port> <vid> <pid> <serial>"
    FlashStore flash;
    RuntimeSettings runtime;
    std::map<std::uint8_t, DeviceMemory> devices;
    unsigned seen = 0;  // bit per line kind, so that each comes exactly once
};

std::string IdentityOf(const std::string& port, const ChipDescription& chip) {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x %04x", chip.vendorId, chip.productId);
    std::string serial;
    for (char16_t c : chip.serialNumber) {
        serial.push_back(static_cast<char>(c));
    }
    return port + " " + ids + " " + (serial.empty() ? "-" : serial);
}

std::string PortName(std::size_t index) {
    return std::to_string(index + 1);
}

std::vector<std::uint8_t> SettingsBytes(const ChipSettings& settings) {
    Report block{};
    PutSettingsBlock(settings, block, 0);
    return {block.begin(), block.begin() + kSettingsBlockBytes};
}

std::optional<ChipSettings> SettingsOf(std::string_view text) {
    const auto bytes = BytesOf(text, kSettingsBlockBytes);
    if (!bytes) {
        return std::nullopt;
    }
    Report block{};
    std::copy(bytes->begin(), bytes->end(), block.begin());
    return SettingsBlockFrom(block, 0);
}

std::string PinBytes(const GpPins& pins) {
    std::string text;
    for (const GpPin& pin : pins) {
        PutHexByte(text, PinByteOf(pin));
    }
    return text;
}

std::optional<GpPins> PinsOf(std::string_view text) {
    const auto bytes = BytesOf(text, kPinBytes);
    if (!bytes) {
        return std::nullopt;
    }
    GpPins pins{};
    for (std::size_t i = 0; i < kPinBytes; ++i) {
        pins[i] = PinFromByte((*bytes)[i]);
    }
    return pins;
}

void AppendChip(std::string& text, const std::string& identity, Chip& chip) {
    const FlashStore& flash = chip.Config().flash;
    const RuntimeSettings& runtime = chip.Config().runtime;
    const std::vector<std::uint8_t> flashSettings = SettingsBytes(flash.settings);
    const std::vector<std::uint8_t> runtimeSettings = SettingsBytes(runtime.settings);
    text += "chip " + identity + "\n";
    text += "flash-settings " + HexBytes(flashSettings.data(), flashSettings.size()) + "\n";
    text += "flash-password " + HexBytes(flash.password.data(), flash.password.size()) + "\n";
    text += "flash-gp " + PinBytes(flash.gpPins) + "\n";
    text += "flash-manufacturer " + HexUnits(flash.manufacturer) + "\n";
    text += "flash-product " + HexUnits(flash.product) + "\n";
    text += "flash-serial " + HexUnits(flash.serialNumber) + "\n";
    text += "flash-factory " +
            HexBytes(reinterpret_cast<const std::uint8_t*>(flash.factorySerial.data()), flash.factorySerial.size()) +
            "\n";
    text += "runtime-settings " + HexBytes(runtimeSettings.data(), runtimeSettings.size()) + "\n";
    text += "runtime-gp " + PinBytes(runtime.pins) + "\n";
    text += std::string("runtime-flags ") + (runtime.interruptPending ? "1" : "0") + " " +
            (runtime.accessGranted ? "1" : "0") + "\n";
    for (unsigned address = 0; address < 0x80; ++address) {
        I2cSlave* slave = chip.Engine().Bus().Addressed(static_cast<std::uint8_t>(address << 1));
        std::string addressText;
        PutHexByte(addressText, static_cast<std::uint8_t>(address));
        if (auto* eeprom = dynamic_cast<EepromSlave*>(slave)) {
            const std::uint8_t pointer[2] = {static_cast<std::uint8_t>(eeprom->Pointer() >> 8),
                                             static_cast<std::uint8_t>(eeprom->Pointer() & 0xFF)};
            text += "eeprom " + addressText + " " + HexBytes(pointer, 2) + " " +
                    HexBytes(eeprom->Memory().data(), eeprom->Memory().size()) + "\n";
        } else if (auto* smbus = dynamic_cast<SmbusDevice*>(slave)) {
            text += "smbus " + addressText + " " + HexBytes(smbus->Registers().data(), smbus->Registers().size()) +
                    "\n";
        }
    }
    text += "end\n";
}

// ---- Reading -------------------------------------------------------------

enum LineBit : unsigned {
    kFlashSettings = 1u << 0,
    kFlashPassword = 1u << 1,
    kFlashGp = 1u << 2,
    kFlashManufacturer = 1u << 3,
    kFlashProduct = 1u << 4,
    kFlashSerial = 1u << 5,
    kFlashFactory = 1u << 6,
    kRuntimeSettings = 1u << 7,
    kRuntimeGp = 1u << 8,
    kRuntimeFlags = 1u << 9,
    kAllLines = (1u << 10) - 1,
};

template <typename T>
bool Store(std::optional<T> value, T& target) {
    if (!value) {
        return false;
    }
    target = std::move(*value);
    return true;
}

std::optional<bool> FlagOf(std::string_view text) {
    if (text == "0" || text == "1") {
        return text == "1";
    }
    return std::nullopt;
}

bool ReadFlags(std::string_view value, RuntimeSettings& runtime) {
    const std::size_t space = value.find(' ');
    if (space == std::string_view::npos) {
        return false;
    }
    return Store(FlagOf(value.substr(0, space)), runtime.interruptPending) &&
           Store(FlagOf(value.substr(space + 1)), runtime.accessGranted);
}

bool ReadDevice(std::string_view value, bool eeprom, ChipState& chip) {
    const std::size_t space = value.find(' ');
    const auto address = BytesOf(value.substr(0, space), 1);
    if (space == std::string_view::npos || !address || (*address)[0] > 0x7F ||
        chip.devices.count((*address)[0]) != 0) {
        return false;
    }
    DeviceMemory memory{eeprom, 0, {}};
    std::string_view bytes = value.substr(space + 1);
    if (eeprom) {
        const std::size_t pointerEnd = bytes.find(' ');
        const auto pointer = BytesOf(bytes.substr(0, pointerEnd), 2);
        if (pointerEnd == std::string_view::npos || !pointer) {
            return false;
        }
        memory.pointer = static_cast<std::size_t>((*pointer)[0] << 8 | (*pointer)[1]);
        bytes.remove_prefix(pointerEnd + 1);
    }
    if (!Store(BytesOf(bytes), memory.bytes) || memory.bytes.empty()) {
        return false;
    }
    chip.devices[(*address)[0]] = std::move(memory);
    return true;
}

bool ReadFactory(std::string_view value, FlashStore& flash) {
    const auto bytes = BytesOf(value);
    if (!bytes || bytes->size() > kMaxFactorySerial) {
        return false;
    }
    flash.factorySerial.assign(bytes->begin(), bytes->end());
    return true;
}

// One line inside a chip's block.
bool ReadChipLine(std::string_view key, std::string_view value, ChipState& chip) {
    FlashStore& flash = chip.flash;
    RuntimeSettings& runtime = chip.runtime;
    unsigned bit = 0;
    bool ok = false;
    if (key == "flash-settings") {
        bit = kFlashSettings;
        ok = Store(SettingsOf(value), flash.settings);
    } else if (key == "flash-password") {
        bit = kFlashPassword;
        const auto bytes = BytesOf(value, flash.password.size());
        ok = bytes.has_value();
        if (ok) {
            std::copy(bytes->begin(), bytes->end(), flash.password.begin());
        }
    } else if (key == "flash-gp") {
        bit = kFlashGp;
        ok = Store(PinsOf(value), flash.gpPins);
    } else if (key == "flash-manufacturer") {
        bit = kFlashManufacturer;
        ok = Store(UnitsOf(value, kMaxStringUnits), flash.manufacturer);
    } else if (key == "flash-product") {
        bit = kFlashProduct;
        ok = Store(UnitsOf(value, kMaxStringUnits), flash.product);
    } else if (key == "flash-serial") {
        bit = kFlashSerial;
        ok = Store(UnitsOf(value, kMaxStringUnits), flash.serialNumber);
    } else if (key == "flash-factory") {
        bit = kFlashFactory;
        ok = ReadFactory(value, flash);
    } else if (key == "runtime-settings") {
        bit = kRuntimeSettings;
        ok = Store(SettingsOf(value), runtime.settings);
    } else if (key == "runtime-gp") {
        bit = kRuntimeGp;
        ok = Store(PinsOf(value), runtime.pins);
    } else if (key == "runtime-flags") {
        bit = kRuntimeFlags;
        ok = ReadFlags(value, runtime);
    } else if (key == "eeprom" || key == "smbus") {
        return ReadDevice(value, key == "eeprom", chip);
    }
    if (!ok || (chip.seen & bit) != 0) {
        return false;
    }
    chip.seen |= bit;
    return true;
}

std::optional<std::vector<ChipState>> ParseState(std::string_view text) {
    std::vector<ChipState> chips;
    bool inChip = false;
    bool headerSeen = false;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t space = line.find(' ');
        const std::string_view key = line.substr(0, space);
        const std::string_view value = space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
        if (!headerSeen) {
            if (line != kHeader) {
                return std::nullopt;
            }
            headerSeen = true;
        } else if (!inChip && key == "chip" && !value.empty()) {
            chips.emplace_back();
            chips.back().identity = std::string(value);
            inChip = true;
        } else if (inChip && line == "end") {
            if (chips.back().seen != kAllLines) {
                return std::nullopt;
            }
            inChip = false;
        } else if (!inChip || !ReadChipLine(key, value, chips.back())) {
            return std::nullopt;
        }
    }
    if (!headerSeen || inChip) {
        return std::nullopt;
    }
    return chips;
}

void ApplyDevices(const std::map<std::uint8_t, DeviceMemory>& devices, Chip& chip) {
    for (const auto& [address, memory] : devices) {
        I2cSlave* slave = chip.Engine().Bus().Addressed(static_cast<std::uint8_t>(address << 1));
        auto* eeprom = dynamic_cast<EepromSlave*>(slave);
        auto* smbus = dynamic_cast<SmbusDevice*>(slave);
        if (memory.eeprom && eeprom != nullptr && eeprom->Memory().size() == memory.bytes.size()) {
            eeprom->Memory() = memory.bytes;
            eeprom->SetPointer(memory.pointer);
        } else if (!memory.eeprom && smbus != nullptr && smbus->Registers().size() == memory.bytes.size()) {
            smbus->Registers() = memory.bytes;
        }
    }
}

void ApplyChip(const ChipState& state, Chip& chip) {
    ChipConfiguration& config = chip.Config();
    config.flash = state.flash;
    // The levels seen on input pins belong to the bench, not to the chip.
    const auto inputLevels = config.runtime.inputLevels;
    config.runtime = state.runtime;
    config.runtime.inputLevels = inputLevels;
    // The runtime settings hold the identifiers loaded at the chip's last
    // power-up, which the chip enumerates with: a chip reset with new ones
    // keeps them in the next run.
    ApplyDevices(state.devices, chip);
}

}  // namespace

std::string ChipStateText(Bench& bench, const BenchDescription& description) {
    std::string text = std::string(kHeader) + "\n";
    for (std::size_t i = 0; i < description.ports.size(); ++i) {
        const PortDescription& port = description.ports[i];
        Chip* chip = bench.ChipAt(PortName(i));
        if (port.chip && chip != nullptr) {
            AppendChip(text, IdentityOf(PortName(i), *port.chip), *chip);
        }
    }
    return text;
}

bool ApplyChipStateText(std::string_view text, Bench& bench, const BenchDescription& description) {
    const std::optional<std::vector<ChipState>> chips = ParseState(text);
    if (!chips) {
        return false;
    }
    for (std::size_t i = 0; i < description.ports.size(); ++i) {
        const PortDescription& port = description.ports[i];
        Chip* chip = bench.ChipAt(PortName(i));
        if (!port.chip || chip == nullptr) {
            continue;
        }
        const std::string identity = IdentityOf(PortName(i), *port.chip);
        for (const ChipState& state : *chips) {
            if (state.identity == identity) {
                ApplyChip(state, *chip);
                break;
            }
        }
    }
    return true;
}

namespace {

// Puts the file at temporary in the place of the one at path, in one step.
// (The C runtime of Windows refuses to rename onto an existing file.)
bool MoveOver(const std::string& temporary, const std::string& path) {
#ifdef _WIN32
    return MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(temporary.c_str(), path.c_str()) == 0;
#endif
}

}  // namespace

bool SaveChipState(const std::string& path, Bench& bench, const BenchDescription& description) {
    const std::string text = ChipStateText(bench, description);
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) {
            return false;
        }
        file << text;
        file.flush();
        if (!file) {
            file.close();
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (!MoveOver(temporary, path)) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool LoadChipState(const std::string& path, Bench& bench, const BenchDescription& description) {
    std::string text;
    return ReadWholeFile(path, text) && ApplyChipStateText(text, bench, description);
}

}  // namespace kelvane::sim
