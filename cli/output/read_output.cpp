#include "output/read_output.h"

#include "output/printf_text.h"

namespace kelvane::cli {

std::wstring I2cReadHeader(std::int32_t count, std::uint8_t address) {
    return L"I2C Read " + Decimal(count) + L" bytes, Slave = " + AlternateHex(address) + L" \n    ";
}

std::wstring SmbusReadHeader(std::int32_t count, std::uint8_t address, std::uint8_t registerIndex, bool pec,
                             ReadOutputTarget target) {
    return L"SMBus Read " + Decimal(count) + L" bytes, Slave = " + AlternateHex(address) + L", Reg Index = " +
           AlternateHex(registerIndex) + L", PEC = " + (pec ? L"On" : L"Off") +
           (target == ReadOutputTarget::kFile ? L"  \n    " : L"\n    ");
}

std::wstring ReadDataLine(std::span<const std::uint8_t> bytes) {
    std::wstring line;
    // At most "0xff, " per byte.
    line.reserve(bytes.size() * 6);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        line += AlternateHex(bytes[i]);
        line += i + 1 < bytes.size() ? L", " : L"\n";
    }
    return line;
}

}  // namespace kelvane::cli
