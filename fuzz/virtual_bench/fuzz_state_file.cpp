// Fuzz target: the state file of the virtual-chip flavour, which that
// flavour reads from the working directory. Any text is put there under its
// default name and the default bench is set up as the flavour sets it up;
// the chips must then carry the program's commands and the library's
// getters whatever the text held, a text that is not taken must leave the
// chips as the bench describes them, and the state written at the end must
// read back as the same state.
#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "bench/bench_description.h"
#include "bench/chip_state_file.h"
#include "bench/virtual_bench_session.h"
#include "support/finding.h"
#include "support/scratch_folder.h"
#include "virtual_bench/bench_exercise.h"

namespace {

using namespace kelvane;

// The state without the serial numbers that a chip takes from the count of
// chips made in the process (the factory serial number, and the serial
// number when the bench gives none): two benches made one after the other
// differ there and nowhere else.
std::string WithoutMadeNumbers(const std::string& state) {
    std::string kept;
    std::size_t at = 0;
    while (at < state.size()) {
        const std::size_t end = std::min(state.find('\n', at), state.size());
        const std::string_view line(state.data() + at, end - at);
        if (!line.starts_with("flash-factory ") && !line.starts_with("flash-serial ")) {
            kept.append(line);
            kept.push_back('\n');
        }
        at = end + 1;
    }
    return kept;
}

std::string FileText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::EnterScratchFolder("kelvane-fuzz-state");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (std::FILE* file = std::fopen(sim::kDefaultStateFile, "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    const sim::BenchDescription description = sim::DefaultBenchDescription();
    sim::Bench described;
    sim::BuildBench(description, described);
    const std::string describedState = sim::ChipStateText(described, description);
    const bool taken = sim::ApplyChipStateText(text, described, description);
    {
        sim::VirtualBenchSession session(nullptr);
        const std::string loaded = sim::ChipStateText(session.Chips(), description);
        if (!taken && WithoutMadeNumbers(loaded) != WithoutMadeNumbers(describedState)) {
            fuzz::Finding("a state file that is not taken changed the chips");
        }
        if (taken && WithoutMadeNumbers(loaded) != WithoutMadeNumbers(sim::ChipStateText(described, description))) {
            fuzz::Finding("the state file read from the working directory is not the state of its text");
        }
        fuzz::ExerciseBench(session.Chips());
        fuzz::CheckStateRoundTrip(session.Chips(), description);
        session.Save();
        const std::string saved = FileText(sim::kDefaultStateFile);
        if (saved != sim::ChipStateText(session.Chips(), description)) {
            fuzz::Finding("the state file written is not the chips' state");
        }
    }
    fuzz::EmptyScratchFolder();
    return 0;
}
