// `kelvane serve` as a child process of a test: started in a folder with a
// bench file, its first line read (the address with the port and token),
// and stopped as Ctrl-C stops it (POSIX) or ended (Windows, where a test
// under wine has no console to send Ctrl-C to).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kelvane::testing {

class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Runs `program <args>` in dir, with KELVANE_SIM_BENCH naming bench
    // (unset when empty), standard error in dir/server-stderr.txt; returns
    // the first line of its standard output (without its line end), read
    // within 30 s, or "" when none came (the process is ended then).
    std::string Start(const std::filesystem::path& program, const std::filesystem::path& dir,
                      const std::filesystem::path& bench, const std::vector<std::string>& args);

    // POSIX: SIGINT, then the exit status (within 20 s; else the process is
    // killed and the result is -1). Windows: ends the process, -1.
    int Interrupt();
    // The process still runs.
    bool Running();
    std::string Stderr() const;

private:
    std::filesystem::path dir_;
#ifdef _WIN32
    void* process_ = nullptr;
    void* output_ = nullptr;
#else
    int pid_ = -1;
    int output_ = -1;
#endif
};

}  // namespace kelvane::testing
