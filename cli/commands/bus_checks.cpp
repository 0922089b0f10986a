#include "commands/bus_checks.h"

#include <cstdint>

#include "commands/exit_codes.h"

namespace kelvane::cli {
namespace {

StepResult Refuse(RunContext& run, const wchar_t* message, int exitCode) {
    run.console.Write(message);
    return exitCode;
}

constexpr const wchar_t* kNoSlave = L"Error: No slave address provided.\n";
constexpr const wchar_t* kNoRegister = L"Error: No register index provided.\n";
constexpr const wchar_t* kNoData = L"Error: No data provided.\n";

StepResult CheckSlaveAndRegister(RunContext& run, int exitCode) {
    if (!run.options.slaveGiven) {
        return Refuse(run, kNoSlave, exitCode);
    }
    if (!run.options.registerGiven) {
        return Refuse(run, kNoRegister, exitCode);
    }
    return std::nullopt;
}

}  // namespace

StepResult CheckSpeed(RunContext& run) {
    // One unsigned comparison covers both ends and negative speeds.
    const std::uint32_t aboveMinimum = static_cast<std::uint32_t>(run.options.speed) - kMinimumSpeed;
    if (aboveMinimum > static_cast<std::uint32_t>(kMaximumSpeed - kMinimumSpeed)) {
        return Refuse(run, L"Error: Invalid Speed. Speed must be between 48000 and 400000bps.", kExitInvalidSpeed);
    }
    return std::nullopt;
}

StepResult CheckI2cReadArguments(RunContext& run) {
    if (!run.options.slaveGiven) {
        return Refuse(run, kNoSlave, kExitI2cReadFailed);
    }
    return std::nullopt;
}

StepResult CheckI2cWriteArguments(RunContext& run) {
    if (!run.options.slaveGiven) {
        return Refuse(run, kNoSlave, kExitI2cWriteFailed);
    }
    if (run.options.command.i2cW && !run.options.dataGiven) {
        return Refuse(run, kNoData, kExitNoI2cData);
    }
    return std::nullopt;
}

StepResult CheckSmbReadArguments(RunContext& run) {
    return CheckSlaveAndRegister(run, kExitSmbReadFailed);
}

StepResult CheckSmbWriteArguments(RunContext& run) {
    if (const StepResult refused = CheckSlaveAndRegister(run, kExitSmbWriteFailed)) {
        return refused;
    }
    if (run.options.command.smbW && !run.options.dataGiven) {
        return Refuse(run, kNoData, kExitNoSmbData);
    }
    return std::nullopt;
}

}  // namespace kelvane::cli
