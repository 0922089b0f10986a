// The runner on Windows: CreateProcessW with the standard output on a pipe
// and standard error in a file, the exit code read whole with
// GetExitCodeProcess. The program and the library are copied (or
// hard-linked) into the run's directory.
#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/process/program_runner.h"
#include "support/temporary_directory.h"
#include "text/wide_text.h"

namespace kelvane::testing {
namespace {

constexpr wchar_t kBenchVariable[] = L"KELVANE_SIM_BENCH";

// One argument of a command line as the C runtime splits it again: quoted
// when it is empty or holds white space or quotes, backslashes doubled
// where they precede a quote.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(2 * backslashes, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

// The test's environment without KELVANE_SIM_BENCH (names are compared
// without regard to case, as Windows does), plus `extra`, as a block for
// CreateProcessW.
std::wstring ChildEnvironment(const std::wstring& extra) {
    std::wstring block;
    const std::wstring prefix = std::wstring(kBenchVariable) + L"=";
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; entry != nullptr && *entry != L'\0'; entry += wcslen(entry) + 1) {
        if (_wcsnicmp(entry, prefix.c_str(), prefix.size()) != 0) {
            block.append(entry);
            block.push_back(L'\0');
        }
    }
    FreeEnvironmentStringsW(strings);
    if (!extra.empty()) {
        block.append(extra);
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

// The text with each CR LF as "\n"; a failure of the test when a line end
// comes without its CR.
std::string FromWindowsText(const std::string& raw, const char* what) {
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            continue;
        }
        if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) {
            ADD_FAILURE() << what << ": a line ends with a bare LF at byte " << i;
        }
        text.push_back(raw[i]);
    }
    return text;
}

std::string ToWindowsText(const std::string& text) {
    std::string raw;
    for (char c : text) {
        if (c == '\n') {
            raw.push_back('\r');
        }
        raw.push_back(c);
    }
    return raw;
}

void PlaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code linkFailed;
    std::filesystem::create_hard_link(from, to, linkFailed);
    if (linkFailed) {
        std::filesystem::copy_file(from, to);
    }
}

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        text.append(buffer, n);
    }
    return text;
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

std::string LibraryWithoutEntryPoints() {
    return std::filesystem::absolute(KELVANE_OTHER_LIBRARY).string();
}

std::string FullDevicePath() {
    // Windows has no such device, and wine lets writes to the host's
    // /dev/full (Z:\dev\full) succeed.
    return "";
}

void CliProcessTest::SetUp() {
    dir_ = MakeTemporaryDirectory("kelvane-cli-run");
    PlaceFile(std::filesystem::absolute(KELVANE_VIRTUAL_LIBRARY), dir_ / kLibraryFile);
    PlaceProgram(dir_);
}

std::filesystem::path CliProcessTest::PlaceProgram(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const std::filesystem::path program = folder / kProgramFile;
    PlaceFile(std::filesystem::absolute(KELVANE_CLI_PROGRAM), program);
    return program;
}

void CliProcessTest::PlaceFileAs(const std::filesystem::path& target, const std::filesystem::path& at) {
    PlaceFile(target, at);
}

void CliProcessTest::WriteFile(const std::string& name, const std::string& text) {
    std::ofstream file(dir_ / name, std::ios::binary | std::ios::trunc);
    file << ToWindowsText(text);
    ASSERT_TRUE(file.good()) << name;
}

std::string CliProcessTest::ReadFile(const std::string& name) const {
    return FromWindowsText(ReadBytes(dir_ / name), name.c_str());
}

ProgramRun CliProcessTest::RunIn(const std::filesystem::path& programPath, const std::filesystem::path& workingDir,
                                 const std::vector<std::string>& args) {
    ProgramRun run;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead = nullptr;
    HANDLE outWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherited, 0)) {
        ADD_FAILURE() << "CreatePipe: " << GetLastError();
        return run;
    }
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    const std::filesystem::path errPath = dir_ / "stderr.txt";
    HANDLE err = CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE in = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0,
                            nullptr);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = outWrite;
    startup.hStdError = err;

    const std::wstring program = programPath.wstring();
    std::wstring commandLine = Quoted(program);
    for (const std::string& arg : args) {
        commandLine += L" " + Quoted(text::WideFromUtf8Replacing(arg));
    }
    std::wstring environment =
        ChildEnvironment(benchWritten_ ? std::wstring(kBenchVariable) + L"=" + (dir_ / "bench.txt").wstring() : L"");

    PROCESS_INFORMATION process{};
    // wine now and then refuses to start a program with ERROR_INTERNAL_ERROR
    // (seen once over many runs of this suite, on a loaded machine); the same
    // start a moment later works. Any other refusal fails the run at once.
    BOOL started = FALSE;
    DWORD startError = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                 CREATE_UNICODE_ENVIRONMENT, environment.data(), workingDir.c_str(), &startup,
                                 &process);
        startError = GetLastError();
        if (started || startError != ERROR_INTERNAL_ERROR) {
            break;
        }
        Sleep(200);
    }
    CloseHandle(outWrite);
    CloseHandle(err);
    CloseHandle(in);
    if (!started) {
        CloseHandle(outRead);
        ADD_FAILURE() << "cannot start " << programPath << ": " << startError;
        return run;
    }
    CloseHandle(process.hThread);
    const std::string out = ReadAll(outRead);
    CloseHandle(outRead);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process.hProcess, &exitCode)) {
        run.status = static_cast<int>(exitCode);
    }
    CloseHandle(process.hProcess);
    run.out = FromWindowsText(out, "standard output");
    run.err = ReadBytes(errPath);
    return run;
}

}  // namespace kelvane::testing

#endif
