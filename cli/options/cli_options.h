// The record of parsed command-line options of KelvaneCLI.
//
// One instance per process: the parser fills it, the frame and the commands
// read it. Text fields have fixed capacities counted in wide characters
// including the terminator.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kelvane.h"

namespace kelvane::cli {

inline constexpr std::size_t kSerialNumberCapacity = 20;
inline constexpr std::size_t kFilePathCapacity = 255;
inline constexpr std::size_t kDataBytesCapacity = 65535;
inline constexpr std::size_t kPinCount = 4;
inline constexpr std::uint8_t kPinUnchanged = 0xFF;
inline constexpr std::int32_t kDefaultSpeed = 100000;

// A bare option name appeared; picks the help page. Record order.
struct HelpTopicFlags {
    bool connectI = false;
    bool connectS = false;
    bool devices = false;
    bool err = false;
    bool gpioC = false;
    bool gpioR = false;
    bool gpioW = false;
    bool i2cR = false;
    bool i2cW = false;
    bool i2cWF = false;
    bool pid = false;
    bool smbR = false;
    bool smbW = false;
    bool smbWF = false;
    bool vid = false;
};

// A command appeared with its value. Record order.
struct CommandFlags {
    bool devices = false;
    bool connectI = false;
    bool connectS = false;
    bool i2cR = false;
    bool i2cW = false;
    bool i2cWF = false;
    bool smbR = false;
    bool smbW = false;
    bool smbWF = false;
    bool gpioC = false;
    bool gpioR = false;
    bool gpioW = false;
};

struct CliOptions {
    std::int32_t vid = KELVANE_DEFAULT_VID;
    std::int32_t pid = KELVANE_DEFAULT_PID;
    std::int32_t connectIndex = 0;
    // Read only when the connectS command is set.
    std::array<wchar_t, kSerialNumberCapacity> serialNumber{};
    std::int32_t speed = kDefaultSpeed;
    // 8-bit form; only the low 8 bits are used.
    std::int32_t slaveAddress = 0;
    std::int32_t readCount = 0;
    // May exceed kDataBytesCapacity: bytes beyond it are counted, not stored.
    std::int32_t dataCount = 0;
    // Allocated once at start-up; only the first dataCount bytes are read.
    std::vector<std::uint8_t> dataBytes = std::vector<std::uint8_t>(kDataBytesCapacity);
    std::uint8_t registerIndex = 0;
    std::uint8_t pecEnabled = 0;
    // The file of the f option: a read appends its result to it, and a write
    // without a file of its own takes its data from it (unless a read
    // appended to it in the same run).
    std::array<wchar_t, kFilePathCapacity> filePath{};
    // The files of the i2cWF and smbWF options: only ever read, each as the
    // data of its own write.
    std::array<wchar_t, kFilePathCapacity> i2cWriteFilePath{};
    std::array<wchar_t, kFilePathCapacity> smbWriteFilePath{};
    HelpTopicFlags helpTopic;
    bool slaveGiven = false;
    bool dataGiven = false;
    bool registerGiven = false;
    CommandFlags command;
    bool helpRequested = false;
    // 0 output, 1 input, kPinUnchanged.
    std::array<std::uint8_t, kPinCount> gpioDirection{kPinUnchanged, kPinUnchanged, kPinUnchanged, kPinUnchanged};
    // 1 = read this pin.
    std::array<std::uint8_t, kPinCount> gpioReadPin{};
    // 0 low, 1 high, kPinUnchanged.
    std::array<std::uint8_t, kPinCount> gpioValue{kPinUnchanged, kPinUnchanged, kPinUnchanged, kPinUnchanged};
};

// True when at least one of the 12 command flags is set.
bool AnyCommand(const CommandFlags& command);

// Sets the GPIO requests to "nothing asked": directions and values
// unchanged, no pin to read.
void ResetGpioRequests(CliOptions& options);

}  // namespace kelvane::cli
