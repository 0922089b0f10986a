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

int SmbReadCommand(RunContext& run) {
    if (const StepResult refused = CheckSpeed(run)) {
        return *refused;
    }
    const CliOptions& o = run.options;
    if (o.readCount < 1 || o.readCount > kMaxSmbusBytes) {
        run.console.Write(L"Error: Invalid number of bytes to read. Must be between 1 and 65534");
        return kExitInvalidReadSize;
    }
    // The address as stored; the library sets the read bit itself.
    const auto address = static_cast<std::uint8_t>(o.slaveAddress & 0xFF);
    std::vector<std::uint8_t> buffer(kBusBufferSize);
    const int result =
        run.library.SmbReadBlock(address, buffer.data(), static_cast<unsigned int>(o.readCount),
                                 static_cast<unsigned int>(o.speed), o.pecEnabled, o.registerIndex);
    if (result != 0) {
        run.console.Write(L"SMBus Read failed. Error code: " + Decimal(result) + L"\n");
        return kExitSmbReadFailed;
    }
    const std::span<const std::uint8_t> data(buffer.data(), static_cast<std::size_t>(o.readCount));
    const bool toFile = o.filePath[0] != L'\0';
    const std::wstring text =
        SmbusReadHeader(o.readCount, address, o.registerIndex, o.pecEnabled != 0,
                        toFile ? ReadOutputTarget::kFile : ReadOutputTarget::kConsole) +
        ReadDataLine(data);
    if (!toFile) {
        run.console.Write(text);
        return kExitSuccess;
    }
    const StepResult appended = AppendToResultFile(run, text);
    return appended.value_or(kExitSuccess);
}

}  // namespace kelvane::cli
