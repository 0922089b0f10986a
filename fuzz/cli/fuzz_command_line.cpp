// Fuzz target: a whole run of KelvaneCLI in-process, from its command line
// to its exit code (parsing, help, binding, the identifier checks, listing
// or connection, the bus and GPIO commands with their data and result
// files), over a freshly built default bench of virtual chips.
//
// Input: a first byte that may add a fault rule to the chip (with the
// three bytes after it), then the text of the data file "data.txt" up to a
// NUL, then the arguments, separated by NULs and decoded as UTF-8 like the
// program decodes its arguments.
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "bench/bench_description.h"
#include "bench/sim_platform.h"
#include "kelvane.h"
#include "options/locale_arguments.h"
#include "platform/platform.h"
#include "support/byte_script.h"
#include "support/program_run.h"
#include "support/scratch_folder.h"

namespace {

using namespace kelvane;

constexpr std::size_t kMaxArguments = 24;

// A fault rule of the chip from four input bytes, when the first asks for one.
void AddFault(fuzz::ByteScript& in, sim::Chip& chip) {
    const std::uint8_t kind = in.U8();
    if ((kind & 0x80) == 0) {
        return;
    }
    sim::FaultRule rule;
    rule.kind = static_cast<sim::FaultKind>((kind & 0x7F) % 11);
    const std::uint8_t command = in.U8();
    rule.command = command == 0xFF ? sim::kAnyCommand : command;
    const std::uint8_t shape = in.U8();
    rule.skip = shape & 0x07;
    rule.times = (shape & 0x80) != 0 ? sim::kForever : 1 + ((shape >> 3) & 0x03);
    rule.index = (shape >> 3) % 64;
    rule.value = in.U8();
    chip.Faults().Add(rule);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    fuzz::EnterScratchFolder("kelvane-fuzz-cli");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteScript in(data, size);
    sim::Bench bench;
    sim::BuildBench(sim::DefaultBenchDescription(), bench);
    AddFault(in, *bench.ChipAt("1"));
    sim::SimPlatform platform(bench);
    platform::SetActivePlatform(&platform);

    const std::string dataFile = in.Until('\0');
    if (std::FILE* file = std::fopen("data.txt", "wb")) {
        std::fwrite(dataFile.data(), 1, dataFile.size(), file);
        std::fclose(file);
    }
    std::vector<std::wstring> arguments{L"KelvaneCLI"};
    while (!in.Exhausted() && arguments.size() <= kMaxArguments) {
        arguments.push_back(cli::WidenArgument(in.Until('\0')));
    }
    fuzz::RunProgramInProcess(arguments);

    DllInit();
    platform::SetActivePlatform(nullptr);
    fuzz::EmptyScratchFolder();
    return 0;
}
