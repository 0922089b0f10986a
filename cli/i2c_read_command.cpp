#include <cstdint>
#include <span>
#include <vector>

#include "bus_checks.h"
#include "bus_commands.h"
#include "bus_files.h"
#include "exit_codes.h"
#include "printf_text.h"
#include "read_output.h"

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

}  // namespace kelvane::cli
