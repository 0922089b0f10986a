#include "commands/device_connection.h"

#include <array>
#include <optional>
#include <string>

#include "commands/exit_codes.h"
#include "output/printf_text.h"
#include "text/chip_string.h"
#include "text/wide_text.h"

namespace kelvane::cli {
namespace {

// The serial number of the selected chip, or nullopt when it cannot be read.
std::optional<std::wstring> ReadSerialNumber(const LibraryBinding& library) {
    std::array<KelvaneChar, text::kChipStringBufferUnits> buffer{};
    if (library.GetSerialNumber(buffer.data()) != 0) {
        return std::nullopt;
    }
    return text::WideFromUtf16(text::ChipString(buffer.data(), buffer.size()));
}

// Selects a chip and lets the following scan make it the current one.
void SelectAndScan(const LibraryBinding& library, int index) {
    library.SelectDev(static_cast<unsigned int>(index));
    library.GetConnectionStatus();
}

}  // namespace

int ListDevices(RunContext& run) {
    const LibraryBinding& library = run.library;
    if (library.GetConnectionStatus() == 0) {
        run.console.Write(L"No devices connected\n");
        return kExitSuccess;
    }
    const int count = library.GetDevCount();
    run.console.Write(L"Number of connected devices (VID = " +
                      AlternateHexUpper(static_cast<std::uint32_t>(run.options.vid)) +
                      L", PID = " + AlternateHexUpper(static_cast<std::uint32_t>(run.options.pid)) +
                      L"): " + Decimal(count) + L"\n\n");
    for (int i = 0; i < count; ++i) {
        SelectAndScan(library, i);
        const std::optional<std::wstring> serial = ReadSerialNumber(library);
        run.console.Write(L"\t" + Decimal(i) + L") SN = \"" + serial.value_or(L"N/A") + L"\"\n");
    }
    return kExitSuccess;
}

StepResult ConnectByIndex(RunContext& run, int index) {
    const LibraryBinding& library = run.library;
    library.GetConnectionStatus();
    const int selected = library.SelectDev(static_cast<unsigned int>(index));
    library.GetConnectionStatus();
    if (selected != 0) {
        run.console.Write(L"Could not connect to device " + Decimal(index) + L"\n");
        return kExitConnectFailed;
    }
    run.console.Write(L"\nConnected to device " + Decimal(index) + L"\n\n");
    return std::nullopt;
}

StepResult ConnectBySerial(RunContext& run, std::wstring_view serial) {
    const LibraryBinding& library = run.library;
    library.GetConnectionStatus();
    const int count = library.GetDevCount();
    for (int i = 0; i < count; ++i) {
        SelectAndScan(library, i);
        const std::optional<std::wstring> chipSerial = ReadSerialNumber(library);
        if (chipSerial && *chipSerial == serial) {
            run.console.Write(L"\nConnected to device " + Decimal(i) + L", SN: " + std::wstring(serial) + L"\n\n");
            return std::nullopt;
        }
    }
    run.console.Write(L"Could not find SN: " + std::wstring(serial) + L"\n");
    return kExitConnectFailed;
}

}  // namespace kelvane::cli
