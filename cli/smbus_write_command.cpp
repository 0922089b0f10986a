#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "bus_checks.h"
#include "bus_commands.h"
#include "bus_files.h"
#include "exit_codes.h"
#include "printf_text.h"

namespace kelvane::cli {

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
