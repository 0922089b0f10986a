#include <algorithm>
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

int SmbWriteCommand(RunContext& run) {
    if (const StepResult refused = CheckSpeed(run)) {
        return *refused;
    }
    const CliOptions& o = run.options;
    if (o.dataCount > kMaxSmbusBytes) {
        run.console.Write(L"Too many bytes to write. Maximum allowed is 65534\n");
        return kExitTooManyBytes;
    }
    // Byte 0 is the register index, the data follow it.
    std::vector<std::uint8_t> buffer(kBusBufferSize);
    buffer[0] = o.registerIndex;
    std::size_t count = 0;
    const std::wstring_view dataFile = WriteDataFilePath(run, o.smbWriteFilePath.data());
    if (!dataFile.empty()) {
        if (const StepResult failed = LoadDataFile(run, dataFile, buffer.data() + 1, kMaxSmbusBytes, count)) {
            return *failed;
        }
    } else {
        count = static_cast<std::size_t>(std::max(o.dataCount, 0));
        std::copy_n(o.dataBytes.begin(), count, buffer.begin() + 1);
    }
    const int result = run.library.SmbWriteBlock(static_cast<std::uint8_t>(o.slaveAddress & 0xFF), buffer.data(),
                                                 static_cast<unsigned int>(count + 1),
                                                 static_cast<unsigned int>(o.speed), o.pecEnabled);
    if (result != 0) {
        run.console.Write(L"SMBus Write failed. Error code: " + Decimal(result) + L"\n");
        return kExitSmbWriteFailed;
    }
    run.console.Write(L"SMBus Write Successful.\n");
    return kExitSuccess;
}

}  // namespace kelvane::cli
