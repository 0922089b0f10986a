#include "bench/virtual_bench_session.h"

#include "bench/bench_file.h"
#include "bench/chip_state_file.h"

namespace kelvane::sim {
namespace {

BenchDescription DescriptionOf(const char* benchFile) {
    if (benchFile == nullptr || benchFile[0] == '\0') {
        return DefaultBenchDescription();
    }
    return LoadBenchFile(benchFile);
}

}  // namespace

VirtualBenchSession::VirtualBenchSession(const char* benchFile) : description_(DescriptionOf(benchFile)) {
    BuildBench(description_, bench_);
    if (!description_.stateFile.empty()) {
        LoadChipState(description_.stateFile, bench_, description_);
    }
}

VirtualBenchSession::~VirtualBenchSession() {
    // Runs at process exit: nothing may escape from here.
    try {
        Save();
    } catch (...) {
    }
}

void VirtualBenchSession::Save() {
    if (!description_.stateFile.empty()) {
        SaveChipState(description_.stateFile, bench_, description_);
    }
}

}  // namespace kelvane::sim
