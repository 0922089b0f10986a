// Fuzz target: the bench file of the virtual-chip flavour. Any text is read
// as that flavour reads the file KELVANE_SIM_BENCH names; a bench it takes
// must keep the documented limits, must build, must carry the program's
// commands and the library's getters, and must have a state that the state
// file keeps exactly.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_description.h"
#include "bench/bench_file.h"
#include "support/finding.h"
#include "support/scratch_folder.h"
#include "virtual_bench/bench_exercise.h"

namespace {

using namespace kelvane;

// The limits the bench-file format documents.
void CheckLimits(const sim::BenchDescription& bench) {
    if (bench.ports.size() > 64) {
        fuzz::Finding("a bench of %zu ports was taken", bench.ports.size());
    }
    for (const sim::PortDescription& port : bench.ports) {
        if (!port.chip) {
            continue;
        }
        const sim::ChipDescription& chip = *port.chip;
        if (chip.serialNumber.size() > 30) {
            fuzz::Finding("a serial number of %zu characters was taken", chip.serialNumber.size());
        }
        bool used[128] = {};
        for (const sim::EepromDescription& e : chip.eeproms) {
            if (e.address7 > 0x7F || used[e.address7] || e.size < 1 || e.size > 65536) {
                fuzz::Finding("an EEPROM at 0x%02x of %zu bytes was taken", e.address7, e.size);
            }
            used[e.address7] = true;
        }
        for (const sim::SmbusDescription& s : chip.smbusDevices) {
            if (s.address7 > 0x7F || used[s.address7] || s.registers < 1 || s.registers > 256 ||
                s.blockLength > 255) {
                fuzz::Finding("an SMBus device at 0x%02x with %zu registers was taken", s.address7, s.registers);
            }
            used[s.address7] = true;
        }
        for (const sim::PinDescription& pin : chip.pins) {
            if (pin.pin > 3 || pin.config.designation > 7 || pin.config.direction > 1 || pin.config.value > 1 ||
                pin.inputLevel > 1 || pin.toggleMs > 3600000) {
                fuzz::Finding("pin %zu was taken with designation %u, direction %u, value %u, level %u", pin.pin,
                              pin.config.designation, pin.config.direction, pin.config.value, pin.inputLevel);
            }
        }
        bool channels[4] = {};
        for (const sim::AnalogDescription& analog : chip.analogInputs) {
            if (analog.channel < 1 || analog.channel > 3 || channels[analog.channel] ||
                analog.signal.minMv > analog.signal.maxMv || analog.signal.maxMv > 65535 ||
                analog.signal.periodMs < 1 || analog.signal.periodMs > 3600000) {
                fuzz::Finding("ADC channel %zu was taken with %u to %u mV, period %u ms", analog.channel,
                              analog.signal.minMv, analog.signal.maxMv, analog.signal.periodMs);
            }
            channels[analog.channel % 4] = true;
        }
        for (const sim::FaultRule& rule : chip.faults) {
            if (rule.index > 63 || rule.skip < 0 || rule.times < sim::kForever ||
                (rule.command != sim::kAnyCommand && (rule.command < 0 || rule.command > 0xFF))) {
                fuzz::Finding("a fault rule with index %zu, skip %d, times %d, command %d was taken", rule.index,
                              rule.skip, rule.times, rule.command);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::EnterScratchFolder("kelvane-fuzz-bench");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (std::FILE* file = std::fopen("bench.txt", "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    const sim::BenchDescription description = sim::LoadBenchFile("bench.txt");
    const std::optional<sim::BenchDescription> parsed = sim::ParseBenchFile(text);
    // A text that is not taken gives the empty bench, without a state file.
    const bool same = parsed ? description.ports.size() == parsed->ports.size() &&
                                   description.stateFile == parsed->stateFile
                             : description.ports.empty() && description.stateFile.empty();
    if (!same) {
        fuzz::Finding("the bench read from the file is not the bench of its text");
    }
    CheckLimits(description);
    // KELVANE_FUZZ_TRACE=1 tells whether a bench file was taken, when an
    // input is run by hand.
    static const bool trace = std::getenv("KELVANE_FUZZ_TRACE") != nullptr;
    if (trace) {
        std::fprintf(stderr, "bench file %s: %zu ports\n", parsed ? "taken" : "not taken", description.ports.size());
    }

    sim::Bench bench;
    sim::BuildBench(description, bench);
    fuzz::ExerciseBench(bench);
    fuzz::CheckStateRoundTrip(bench, description);
    fuzz::EmptyScratchFolder();
    return 0;
}
