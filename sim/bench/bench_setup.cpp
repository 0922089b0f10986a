// Building a bench of virtual chips from its description.
#include <algorithm>
#include <string>

#include "bench/bench_description.h"
#include "slaves/eeprom_slave.h"
#include "slaves/smbus_device.h"
#include "slaves/write_only_slave.h"

namespace kelvane::sim {
namespace {

void Fill(std::vector<std::uint8_t>& memory, const MemoryContents& contents) {
    for (std::size_t i = 0; i < memory.size(); ++i) {
        memory[i] = contents.indexPattern ? static_cast<std::uint8_t>(i & 0xFF) : contents.fill;
    }
    std::copy_n(contents.data.begin(), std::min(contents.data.size(), memory.size()), memory.begin());
}

void SetUpPins(const std::vector<PinDescription>& pins, Chip& chip) {
    ChipConfiguration& config = chip.Config();
    for (const PinDescription& pin : pins) {
        config.flash.gpPins[pin.pin] = pin.config;
        config.runtime.inputLevels[pin.pin] = pin.inputLevel;
        if (pin.toggleMs != 0) {
            chip.inputs.levels[pin.pin] = LevelSignal{pin.inputLevel, pin.toggleMs};
        }
    }
    // The chip has powered up with these pins.
    config.runtime.pins = config.flash.gpPins;
}

void SetUpChip(const ChipDescription& description, Chip& chip) {
    if (!description.serialNumber.empty()) {
        chip.Config().flash.serialNumber = description.serialNumber;
    }
    for (const AnalogDescription& analog : description.analogInputs) {
        chip.inputs.analog[analog.channel - 1] = analog.signal;
    }
    I2cBus& bus = chip.Engine().Bus();
    for (const EepromDescription& e : description.eeproms) {
        EepromSlave& eeprom = bus.Attach<EepromSlave>(e.address7, e.size);
        Fill(eeprom.Memory(), e.contents);
        eeprom.SetWriteProtect(e.writeProtected);
    }
    for (const SmbusDescription& s : description.smbusDevices) {
        SmbusDevice& device = bus.Attach<SmbusDevice>(s.address7, s.registers, s.blockLength);
        Fill(device.Registers(), s.contents);
        device.SetPecRequired(s.pecRequired);
    }
    for (const std::uint8_t address7 : description.displays) {
        bus.Attach<WriteOnlySlave>(address7);
    }
    SetUpPins(description.pins, chip);
    for (const FaultRule& rule : description.faults) {
        chip.Faults().Add(rule);
    }
    if (description.forcedEngineState) {
        chip.Engine().ForceState(*description.forcedEngineState);
    }
    chip.Engine().HangBus(description.busHung);
    chip.Engine().SetExtraReadBytes(description.extraReadBytes);
}

}  // namespace

BenchDescription DefaultBenchDescription() {
    ChipDescription chip;
    chip.serialNumber = u"KV000001";
    EepromDescription eeprom;
    eeprom.address7 = 0x50;
    eeprom.contents.indexPattern = true;
    chip.eeproms.push_back(eeprom);
    SmbusDescription smbus;
    smbus.address7 = 0x0B;
    smbus.pecRequired = true;
    smbus.contents.indexPattern = true;
    chip.smbusDevices.push_back(smbus);
    BenchDescription bench;
    bench.ports.push_back({chip, {}});
    return bench;
}

BenchDescription EmptyBenchDescription() {
    BenchDescription bench;
    bench.stateFile.clear();
    return bench;
}

void BuildBench(const BenchDescription& description, Bench& bench) {
    for (std::size_t i = 0; i < description.ports.size(); ++i) {
        const PortDescription& port = description.ports[i];
        const std::string name = std::to_string(i + 1);
        if (port.chip) {
            SetUpChip(*port.chip, bench.Attach(name, port.chip->vendorId, port.chip->productId));
        } else {
            bench.AttachForeign(name, port.foreignHardwareId);
        }
    }
}

}  // namespace kelvane::sim
