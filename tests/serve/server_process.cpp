#include "serve/server_process.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "text/wide_text.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

extern char** environ;
#endif

namespace kelvane::testing {
namespace {

constexpr auto kFirstLineWait = std::chrono::seconds(30);
constexpr char kBenchVariable[] = "KELVANE_SIM_BENCH";

}  // namespace

std::string ServerProcess::Stderr() const {
    std::ifstream file(dir_ / "server-stderr.txt", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

#ifdef _WIN32

std::string ServerProcess::Start(const std::filesystem::path& program, const std::filesystem::path& dir,
                                 const std::filesystem::path& bench, const std::vector<std::string>& args) {
    dir_ = dir;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return "";
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const std::wstring errName = (dir / "server-stderr.txt").wstring();
    HANDLE errFile = CreateFileW(errName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::wstring command = L"\"" + program.wstring() + L"\"";
    for (const std::string& arg : args) {
        command += L" \"" + text::WideFromUtf8Replacing(arg) + L"\"";
    }
    if (!bench.empty()) {
        SetEnvironmentVariableW(text::WideFromUtf8Replacing(kBenchVariable).c_str(), bench.wstring().c_str());
    } else {
        SetEnvironmentVariableW(text::WideFromUtf8Replacing(kBenchVariable).c_str(), nullptr);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = errFile;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        dir.wstring().c_str(), &startup, &info);
    CloseHandle(writeEnd);
    if (errFile != INVALID_HANDLE_VALUE) {
        CloseHandle(errFile);
    }
    if (!started) {
        CloseHandle(readEnd);
        return "";
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    output_ = readEnd;
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kFirstLineWait;
    while (std::chrono::steady_clock::now() < deadline) {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) {
            break;
        }
        if (available == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        char c = 0;
        DWORD n = 0;
        if (!ReadFile(readEnd, &c, 1, &n, nullptr) || n == 0) {
            break;
        }
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        line += c;
    }
    Interrupt();
    return "";
}

bool ServerProcess::Running() {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

int ServerProcess::Interrupt() {
    if (process_ != nullptr) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 20000);
        CloseHandle(process_);
        process_ = nullptr;
    }
    if (output_ != nullptr) {
        CloseHandle(output_);
        output_ = nullptr;
    }
    return -1;
}

ServerProcess::~ServerProcess() {
    Interrupt();
}

#else

std::string ServerProcess::Start(const std::filesystem::path& program, const std::filesystem::path& dir,
                                 const std::filesystem::path& bench, const std::vector<std::string>& args) {
    dir_ = dir;
    int fds[2];
    if (pipe(fds) != 0) {
        return "";
    }
    const std::string errPath = (dir / "server-stderr.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    std::vector<std::string> argvTexts{program.string()};
    argvTexts.insert(argvTexts.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& text : argvTexts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> envTexts;
    const std::string prefix = std::string(kBenchVariable) + "=";
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, prefix.c_str(), prefix.size()) != 0) {
            envTexts.emplace_back(*e);
        }
    }
    if (!bench.empty()) {
        envTexts.push_back(prefix + bench.string());
    }
    std::vector<char*> envp;
    for (std::string& text : envTexts) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return "";
    }
    pid_ = child;
    output_ = fds[0];
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kFirstLineWait;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready{output_, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) {
            continue;
        }
        char c = 0;
        const ssize_t n = read(output_, &c, 1);
        if (n <= 0) {
            break;
        }
        if (c == '\n') {
            return line;
        }
        line += c;
    }
    kill(pid_, SIGKILL);
    Interrupt();
    return "";
}

bool ServerProcess::Running() {
    if (pid_ < 0) {
        return false;
    }
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

int ServerProcess::Interrupt() {
    int result = -1;
    if (pid_ >= 0) {
        kill(pid_, SIGINT);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        int status = 0;
        pid_t done = 0;
        while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (done == pid_) {
            result = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        } else {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }
    if (output_ >= 0) {
        close(output_);
        output_ = -1;
    }
    return result;
}

ServerProcess::~ServerProcess() {
    Interrupt();
}

#endif

}  // namespace kelvane::testing
