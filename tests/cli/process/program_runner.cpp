// The runner on POSIX systems: posix_spawn with the standard output on a
// pipe and standard error in a file.
#ifndef _WIN32

#include "cli/process/program_runner.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <sstream>

extern char** environ;

namespace kelvane::testing {
namespace {

constexpr char kBenchVariable[] = "KELVANE_SIM_BENCH";

// The test's environment without KELVANE_SIM_BENCH, plus `extra`.
std::vector<std::string> ChildEnvironment(const std::string& extra) {
    std::vector<std::string> entries;
    const std::string prefix = std::string(kBenchVariable) + "=";
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, prefix.c_str(), prefix.size()) != 0) {
            entries.emplace_back(*e);
        }
    }
    if (!extra.empty()) {
        entries.push_back(extra);
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            return text;
        }
    }
}

}  // namespace

std::string LibraryWithoutEntryPoints() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&std::terminate), &info) == 0 || info.dli_fname == nullptr ||
        std::string(info.dli_fname).find(".so") == std::string::npos) {
        ADD_FAILURE() << "the C++ runtime library is not a shared library here";
        return {};
    }
    return info.dli_fname;
}

std::string FullDevicePath() {
    return std::filesystem::exists("/dev/full") ? "/dev/full" : "";
}

void CliProcessTest::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-cli-run-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    PlaceProgram(dir_);
    std::filesystem::create_symlink(KELVANE_VIRTUAL_LIBRARY, dir_ / kLibraryFile);
}

std::filesystem::path CliProcessTest::PlaceProgram(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const std::filesystem::path program = folder / kProgramFile;
    // A hard link costs nothing where the file system allows it.
    std::error_code linkError;
    std::filesystem::create_hard_link(KELVANE_CLI_PROGRAM, program, linkError);
    if (linkError) {
        std::filesystem::copy_file(KELVANE_CLI_PROGRAM, program);
    }
    return program;
}

void CliProcessTest::PlaceFileAs(const std::filesystem::path& target, const std::filesystem::path& at) {
    std::filesystem::create_symlink(target, at);
}

void CliProcessTest::WriteFile(const std::string& name, const std::string& text) {
    std::ofstream file(dir_ / name, std::ios::binary | std::ios::trunc);
    file << text;
    ASSERT_TRUE(file.good()) << name;
}

std::string CliProcessTest::ReadFile(const std::string& name) const {
    std::ifstream file(dir_ / name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

ProgramRun CliProcessTest::RunIn(const std::filesystem::path& program, const std::filesystem::path& workingDir,
                                 const std::vector<std::string>& args) {
    ProgramRun run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        ADD_FAILURE() << "pipe";
        return run;
    }
    const std::string errPath = (dir_ / "stderr.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());

    std::vector<std::string> argvTexts{program.string()};
    argvTexts.insert(argvTexts.end(), args.begin(), args.end());
    std::vector<char*> argv = Pointers(argvTexts);
    std::vector<std::string> envTexts =
        ChildEnvironment(benchWritten_ ? std::string(kBenchVariable) + "=" + PathOf("bench.txt") : "");
    std::vector<char*> envp = Pointers(envTexts);

    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        ADD_FAILURE() << "cannot start " << program;
        return run;
    }
    run.out = ReadAll(pipeFds[0]);
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : kNotExited;
    run.err = ReadFile("stderr.txt");
    return run;
}

}  // namespace kelvane::testing

#endif
