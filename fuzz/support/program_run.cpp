#include "support/program_run.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

#include "binding/library_binding.h"
#include "commands/exit_codes.h"
#include "kelvane.h"
#include "option_steps.h"
#include "options/cli_options.h"
#include "output/console_output.h"
#include "program_frame.h"
#include "support/finding.h"

namespace kelvane::fuzz {
namespace {

// The entry points by name, as the program binds them from the library file.
cli::AnyEntryPoint LinkedEntryPoint(const char* name) {
    struct Entry {
        const char* name;
        cli::AnyEntryPoint entry;
    };
    static const Entry kEntries[] = {
        {"DllInitCustom", reinterpret_cast<cli::AnyEntryPoint>(&::DllInitCustom)},
        {"DllInit", reinterpret_cast<cli::AnyEntryPoint>(&::DllInit)},
        {"GetConnectionStatus", reinterpret_cast<cli::AnyEntryPoint>(&::GetConnectionStatus)},
        {"GetFirmwareVersion", reinterpret_cast<cli::AnyEntryPoint>(&::GetFirmwareVersion)},
        {"GetHardwareVersion", reinterpret_cast<cli::AnyEntryPoint>(&::GetHardwareVersion)},
        {"GetDevCount", reinterpret_cast<cli::AnyEntryPoint>(&::GetDevCount)},
        {"GetSelectedDevNumber", reinterpret_cast<cli::AnyEntryPoint>(&::GetSelectedDevNumber)},
        {"GetSelectedDevInfo", reinterpret_cast<cli::AnyEntryPoint>(&::GetSelectedDevInfo)},
        {"SelectDev", reinterpret_cast<cli::AnyEntryPoint>(&::SelectDev)},
        {"SmbWriteBlock", reinterpret_cast<cli::AnyEntryPoint>(&::SmbWriteBlock)},
        {"SmbReadBlock", reinterpret_cast<cli::AnyEntryPoint>(&::SmbReadBlock)},
        {"GetSerialNumber", reinterpret_cast<cli::AnyEntryPoint>(&::GetSerialNumber)},
        {"ReadI2cData", reinterpret_cast<cli::AnyEntryPoint>(&::ReadI2cData)},
        {"WriteI2cData", reinterpret_cast<cli::AnyEntryPoint>(&::WriteI2cData)},
        {"GetGpPinConfiguration", reinterpret_cast<cli::AnyEntryPoint>(&::GetGpPinConfiguration)},
        {"SetGpPinConfiguration", reinterpret_cast<cli::AnyEntryPoint>(&::SetGpPinConfiguration)},
        {"ReadGpioPinValue", reinterpret_cast<cli::AnyEntryPoint>(&::ReadGpioPinValue)},
    };
    for (const Entry& entry : kEntries) {
        if (std::string_view(entry.name) == name) {
            return entry.entry;
        }
    }
    return nullptr;
}

constexpr int kExitCodes[] = {
    cli::kExitSuccess,          cli::kExitLibraryNotFound, cli::kExitDeviceInfo,      cli::kExitConnectFailed,
    cli::kExitInvalidSpeed,     cli::kExitInvalidReadSize, cli::kExitI2cReadFailed,   cli::kExitTooManyBytes,
    cli::kExitNoI2cData,        cli::kExitI2cWriteFailed,  cli::kExitSmbReadFailed,   cli::kExitSmbWriteFailed,
    cli::kExitNoSmbData,        cli::kExitFileOpen,        cli::kExitFileClose,       cli::kExitPinConfiguration,
    cli::kExitInvalidDirection, cli::kExitGpioRead,        cli::kExitGpioWrite,       cli::kExitInvalidValue,
    cli::kExitInvalidCommand,
};

template <std::size_t N>
void KeepInside(std::array<wchar_t, N>& path) {
    std::replace(path.begin(), path.end(), L'/', L'_');
}

}  // namespace

ProgramRun RunProgramInProcess(const std::vector<std::wstring>& arguments) {
    // One record per process, as in the program.
    static cli::CliOptions options;
    options = cli::CliOptions{};
    cli::CapturedOutput console;
    ProgramRun run;
    if (const std::optional<int> ended = cli::RunOptionSteps(arguments, options, console)) {
        run.exitCode = *ended;
    } else {
        KeepInside(options.filePath);
        KeepInside(options.i2cWriteFilePath);
        KeepInside(options.smbWriteFilePath);
        cli::LibraryBinding library;
        if (cli::BindEntryPoints(LinkedEntryPoint, library) != cli::kBindOk) {
            Finding("the program's 17 entry points did not bind");
        }
        run.exitCode = cli::RunWithLibrary(library, options, console);
    }
    run.output = console.Text();
    if (std::find(std::begin(kExitCodes), std::end(kExitCodes), run.exitCode) == std::end(kExitCodes)) {
        Finding("the program ended with exit code %d, which it does not document", run.exitCode);
    }
    if (run.output.find(L'\0') != std::wstring::npos) {
        Finding("the program printed a NUL character");
    }
    // A failed library call is reported with its code, and the run fails.
    if (run.output.find(L"failed. Error code: ") != std::wstring::npos && run.exitCode == cli::kExitSuccess) {
        Finding("the program reported a failed call and ended with success");
    }
    // The console's own encoding of everything printed.
    (void)cli::NarrowForConsole(run.output);
    return run;
}

}  // namespace kelvane::fuzz
