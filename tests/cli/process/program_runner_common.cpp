// The parts of the runner that do not depend on how a process is started.
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

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
    RemoveFile(dir_ / kLibraryFile);
}

void CliProcessTest::RemoveFile(const std::filesystem::path& file) {
    // Wine releases a DLL that a child process loaded a moment after the
    // child's exit code is known; until then the file cannot be removed
    // ("Access denied"). Elsewhere the first attempt decides.
    constexpr int kAttempts = 100;  // 5 s in steps of 50 ms
    std::error_code error;
    for (int attempt = 1; attempt < kAttempts; ++attempt) {
        std::filesystem::remove(file, error);
        if (!error) {
            return;
        }
#ifndef _WIN32
        break;
#endif
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::filesystem::remove(file);  // throws with the system's reason
}

ProgramRun CliProcessTest::Run(const std::vector<std::string>& args) {
    return RunIn(dir_ / kProgramFile, dir_, args);
}

}  // namespace kelvane::testing
