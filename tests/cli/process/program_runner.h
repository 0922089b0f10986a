// Runs the built KelvaneCLI as a child process in a temporary directory that
// holds a copy of the program and, beside it, the virtual-chip flavour of the
// library, with KELVANE_SIM_BENCH naming a bench file that the test writes.
// The directory is also the working directory, and the chips' state file lies
// in it, so it lives as long as the test.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvane::testing {

// The file names of the program and of the library beside it. The runner
// serves every program built here: KELVANE_CLI_PROGRAM is the built file to
// run, KELVANE_PROGRAM_FILE its name in the run's directory (default
// KelvaneCLI).
#if defined(KELVANE_PROGRAM_FILE)
inline constexpr char kProgramFile[] = KELVANE_PROGRAM_FILE;
#elif defined(_WIN32)
inline constexpr char kProgramFile[] = "KelvaneCLI.exe";
#else
inline constexpr char kProgramFile[] = "KelvaneCLI";
#endif
inline constexpr char kLibraryFile[] = "KelvaneDLL-UM_x86.dll";

// The status of a run whose program did not exit normally.
inline constexpr int kNotExited = INT_MIN;

// On Windows, the program's standard output and its result files are text
// in the platform's convention, every line ending with CR LF: out and
// ReadFile give them with each CR LF as "\n", and a test fails when a line
// ends with a bare "\n" there. Files that a test writes are written the
// same way.
struct ProgramRun {
    std::string out;
    std::string err;
    int status = kNotExited;  // as the parent sees the exit code: StatusOf
};

// The exit code as a parent process sees it: POSIX keeps its low 8 bits,
// Windows the whole 32-bit value.
constexpr int StatusOf(int exitCode) {
#ifdef _WIN32
    return exitCode;
#else
    return exitCode & 0xFF;
#endif
}

// A shared library that loads but has none of the entry points: the C++
// runtime library of this test on POSIX systems, a DLL of the tests on
// Windows.
std::string LibraryWithoutEntryPoints();

// A file that can be opened for appending but takes no byte (every write
// fails), or empty where the system has none.
std::string FullDevicePath();

// What the program prints when it has connected to chip `index`.
std::string Connected(int index);

// One chip (serial KV000001) with an EEPROM of 256 bytes at 0x50 holding
// byte i = i, and an SMBus device with PEC at 0x0B (block length 4,
// register i = i).
inline constexpr char kOneChipBench[] =
    "chip vid=1209 pid=4b56 serial=KV000001\n"
    "  eeprom addr7=50 size=256 pattern=index\n"
    "  smbus addr7=0b registers=256 block=4 pec=on pattern=index\n";

// A run's whole standard output and its status, with nothing on standard
// error.
#define EXPECT_RUN(run, expectedOut, exitCode)                            \
    do {                                                                  \
        const ::kelvane::testing::ProgramRun& run_ = (run);               \
        EXPECT_EQ(run_.out, (expectedOut));                               \
        EXPECT_EQ(run_.status, ::kelvane::testing::StatusOf(exitCode));   \
        EXPECT_EQ(run_.err, "");                                          \
    } while (false)

class CliProcessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the program with the bench file of WriteBench (KELVANE_SIM_BENCH
    // unset when none was written yet: the default bench).
    ProgramRun Run(const std::vector<std::string>& args);

    void WriteBench(const std::string& text);
    void WriteFile(const std::string& name, const std::string& text);
    std::string ReadFile(const std::string& name) const;
    bool FileExists(const std::string& name) const;
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& Directory() const { return dir_; }
    // The program without a library beside it.
    void RemoveLibrary();
    // Removes a file that a run of the program may have loaded, waiting
    // until the system has released it.
    static void RemoveFile(const std::filesystem::path& file);

    // A copy of the built program in folder (a real file, not a link, so
    // that the folder is the program's own), made with its parent folders.
    static std::filesystem::path PlaceProgram(const std::filesystem::path& folder);
    // Puts the file at `target` in place as `at`: a symbolic link on POSIX
    // systems, a copy on Windows.
    static void PlaceFileAs(const std::filesystem::path& target, const std::filesystem::path& at);
    // Runs program with workingDir as the working directory, under the same
    // environment as Run.
    ProgramRun RunIn(const std::filesystem::path& program, const std::filesystem::path& workingDir,
                     const std::vector<std::string>& args);

private:
    std::filesystem::path dir_;
    bool benchWritten_ = false;
};

}  // namespace kelvane::testing
