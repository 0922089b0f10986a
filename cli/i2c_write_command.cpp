#include <cstdint>
#include <string_view>
#include <vector>

#include "bus_checks.h"
#include "bus_commands.h"
#include "bus_files.h"
#include "exit_codes.h"
#include "printf_text.h"

namespace kelvane::cli {

int I2cWriteCommand(RunContext& run) {
    if (const StepResult refused = CheckSpeed(run)) {
        return *refused;
    }
    const CliOptions& o = run.options;
    if (o.dataCount > kMaxI2cBytes) {
        run.console.Write(L"Too many bytes to write. Maximum allowed is 65535\n");
        return kExitTooManyBytes;
    }
    // A write goes to the address as given: bit 0 as the user wrote it.
    const auto address = static_cast<std::uint8_t>(o.slaveAddress & 0xFF);
    const auto speed = static_cast<unsigned int>(o.speed);
    int result = 0;
    const std::wstring_view dataFile = WriteDataFilePath(run, o.i2cWriteFilePath.data());
    if (!dataFile.empty()) {
        std::vector<std::uint8_t> fileBuffer(kBusBufferSize);
        std::size_t count = 0;
        if (const StepResult failed = LoadDataFile(run, dataFile, fileBuffer.data(), fileBuffer.size(), count)) {
            return *failed;
        }
        result = run.library.WriteI2cData(address, fileBuffer.data(), static_cast<unsigned int>(count), speed);
    } else {
        result = run.library.WriteI2cData(address, o.dataBytes.data(), static_cast<unsigned int>(o.dataCount), speed);
    }
    if (result != 0) {
        run.console.Write(L"I2C Write failed. Error code: " + Decimal(result) + L"\n");
        return kExitI2cWriteFailed;
    }
    run.console.Write(L"I2C Write Successful.\n");
    return kExitSuccess;
}

}  // namespace kelvane::cli
