// The parts of the runner that do not depend on how a process is started.
#include <filesystem>
#include <string>
#include <system_error>

#include "cli/process/program_runner.h"

namespace kelvane::testing {

std::string Connected(int index) {
    return "\nConnected to device " + std::to_string(index) + "\n\n";
}

void CliProcessTest::TearDown() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void CliProcessTest::WriteBench(const std::string& text) {
    WriteFile("bench.txt", text);
    benchWritten_ = true;
}

bool CliProcessTest::FileExists(const std::string& name) const {
    return std::filesystem::exists(dir_ / name);
}

void CliProcessTest::RemoveLibrary() {
    std::filesystem::remove(dir_ / kLibraryFile);
}

ProgramRun CliProcessTest::Run(const std::vector<std::string>& args) {
    return RunIn(dir_ / kProgramFile, dir_, args);
}

}  // namespace kelvane::testing
