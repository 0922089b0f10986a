#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "commands/bus_checks.h"
#include "commands/bus_commands.h"
#include "commands/exit_codes.h"
#include "output/bus_files.h"
#include "output/printf_text.h"
#include "output/read_output.h"

namespace kelvane::cli {

StepResult I2cReadCommand(RunContext& run) {
    if (const StepResult refused = CheckSpeed(run)) {
        return refused;
    }
    const CliOptions& o = run.options;
    if (o.readCount < 1 || o.readCount > kMaxI2cBytes) {
        run.console.Write(L"Error: Invalid number of bytes to read. Must be between 1 and 65535");
        return kExitInvalidReadSize;
    }
    // A read goes to the slave's address with the read bit set.
    const auto address = static_cast<std::uint8_t>((o.slaveAddress | 0x01) & 0xFF);
    std::vector<std::uint8_t> buffer(kBusBufferSize);
    const int result = run.library.ReadI2cData(address, buffer.data(), static_cast<unsigned int>(o.readCount),
                                               static_cast<unsigned int>(o.speed));
    if (result != 0) {
        run.console.Write(L"I2C Read failed. Error code: " + Decimal(result) + L"\n");
        return kExitI2cReadFailed;
    }
    const std::wstring text =
        I2cReadHeader(o.readCount, address) +
        ReadDataLine(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(o.readCount)));
    if (o.filePath[0] == L'\0') {
        run.console.Write(text);
        return kExitSuccess;
    }
    // After a read to a file the run goes on with the later commands.
    return AppendToResultFile(run, text);
}

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
