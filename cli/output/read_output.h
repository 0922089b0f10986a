// The two lines that show the result of a read, on the console or appended
// to a result file: a header that ends with a line end and the four spaces
// that start the data line, and the data line itself.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kelvane::cli {

enum class ReadOutputTarget { kConsole, kFile };

// "I2C Read %d bytes, Slave = %#x \n    ", the same on the console and in a
// file; address is the one read from (bit 0 set).
std::wstring I2cReadHeader(std::int32_t count, std::uint8_t address);

// "SMBus Read %d bytes, Slave = %#x, Reg Index = %#x, PEC = On|Off", then
// "\n    " on the console and "  \n    " in a file.
std::wstring SmbusReadHeader(std::int32_t count, std::uint8_t address, std::uint8_t registerIndex, bool pec,
                             ReadOutputTarget target);

// Every byte but the last as "%#x, ", the last as "%#x\n".
std::wstring ReadDataLine(std::span<const std::uint8_t> bytes);

}  // namespace kelvane::cli
