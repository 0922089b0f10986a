#include "program_frame.h"

#include <cstdint>

#include "commands/bus_checks.h"
#include "commands/bus_commands.h"
#include "commands/device_connection.h"
#include "commands/exit_codes.h"
#include "commands/gpio_commands.h"
#include "commands/run_context.h"
#include "option_steps.h"

namespace kelvane::cli {
namespace {

// Identifiers are 16-bit; a negative option value fails as well.
bool IdentifierFits(std::int32_t identifier) {
    return static_cast<std::uint32_t>(identifier) <= 0xFFFF;
}

StepResult CheckIdentifiers(RunContext& run) {
    if (!IdentifierFits(run.options.vid)) {
        run.console.Write(L"Error: Invalid VID.\n");
        return kExitConnectFailed;
    }
    if (!IdentifierFits(run.options.pid)) {
        run.console.Write(L"Error: Invalid PID.\n");
        return kExitConnectFailed;
    }
    return std::nullopt;
}

StepResult Connect(RunContext& run) {
    if (run.options.command.connectS) {
        return ConnectBySerial(run, run.options.serialNumber.data());
    }
    return ConnectByIndex(run, run.options.connectIndex);
}

// Runs a command after its presence checks; the command ends the run.
int Checked(RunContext& run, StepResult (*check)(RunContext&), int (*command)(RunContext&)) {
    if (const StepResult refused = check(run)) {
        return *refused;
    }
    return command(run);
}

// The commands in their order of precedence, on the selected chip. Every
// command ends the run, except an I2C read whose result went to a file; a
// run with nothing (more) to do ends with success.
int RunCommands(RunContext& run) {
    const CommandFlags& command = run.options.command;
    if (command.i2cR) {
        if (const StepResult refused = CheckI2cReadArguments(run)) {
            return *refused;
        }
        if (const StepResult ended = I2cReadCommand(run)) {
            return *ended;
        }
    }
    if (command.i2cW || command.i2cWF) {
        return Checked(run, CheckI2cWriteArguments, I2cWriteCommand);
    }
    if (command.smbR) {
        return Checked(run, CheckSmbReadArguments, SmbReadCommand);
    }
    if (command.smbW || command.smbWF) {
        return Checked(run, CheckSmbWriteArguments, SmbWriteCommand);
    }
    if (command.gpioC) {
        return GpioConfigureCommand(run);
    }
    if (command.gpioW) {
        return GpioWriteCommand(run);
    }
    if (command.gpioR) {
        return GpioReadCommand(run);
    }
    return kExitSuccess;
}

}  // namespace

int RunWithLibrary(const LibraryBinding& library, const CliOptions& options, ConsoleSink& console) {
    RunContext run{library, options, console};
    if (const StepResult refused = CheckIdentifiers(run)) {
        return *refused;
    }
    library.DllInitCustom(options.vid, options.pid);
    if (options.command.devices) {
        return ListDevices(run);
    }
    if (const StepResult failed = Connect(run)) {
        return *failed;
    }
    return RunCommands(run);
}

int RunProgram(std::span<const std::wstring> arguments, CliOptions& options, ConsoleSink& console) {
    if (const std::optional<int> ended = RunOptionSteps(arguments, options, console)) {
        return *ended;
    }
    LibraryBinding library;
    if (BindLibrary(library) != kBindOk) {
        console.Write(L"Could not load DLL.\n");
        return kExitLibraryNotFound;
    }
    return RunWithLibrary(library, options, console);
}

}  // namespace kelvane::cli
