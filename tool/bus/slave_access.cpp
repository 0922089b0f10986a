#include "bus/slave_access.h"

#include "common/failure.h"

namespace kelvane::tool {
namespace {

constexpr std::size_t kLongestTransfer = 65535;

}  // namespace

bool ChipUnreachable(int result) {
    return result == KELVANE_E_WRITE_FAILED || result == KELVANE_E_READ_FAILED || result == KELVANE_E_WRONG_ECHO;
}

std::uint8_t SmbusPec(std::span<const std::uint8_t> bytes) {
    std::uint8_t crc = 0;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<std::uint8_t>((crc & 0x80) != 0 ? (crc << 1) ^ 0x07 : crc << 1);
        }
    }
    return crc;
}

int SlaveAccess::ReadRegisters(std::uint8_t reg, std::size_t count, bool pec, std::vector<std::uint8_t>& data) const {
    if (count == 0 || count > kLongestTransfer - (pec ? 1 : 0)) {
        return KELVANE_E_ARGUMENT_3;
    }
    data.assign(count, 0);
    return library_.SmbReadBlock(static_cast<unsigned char>(address7_ << 1), data.data(), static_cast<unsigned>(count),
                                 speed_, pec ? 1 : 0, reg);
}

int SlaveAccess::ReadSmbusBlock(std::uint8_t reg, bool pec, std::vector<std::uint8_t>& data) const {
    std::vector<std::uint8_t> countByte;
    if (const int result = ReadRegisters(reg, 1, false, countByte); result != 0) {
        return result;
    }
    const std::size_t count = countByte[0];
    if (count == 0 || count > kSmbusBlockMax) {
        throw Failure(What("SMBus block read of register " + Hex2(reg)) + ": the slave's count byte is " +
                      Hex2(static_cast<unsigned>(count)) + ", not 1 to 32");
    }
    std::vector<std::uint8_t> block;
    if (const int result = ReadRegisters(reg, count + 1, pec, block); result != 0) {
        return result;
    }
    if (block[0] != count) {
        throw Failure(What("SMBus block read of register " + Hex2(reg)) + ": the count byte changed from " +
                      Hex2(static_cast<unsigned>(count)) + " to " + Hex2(block[0]) + " between two reads");
    }
    data.assign(block.begin() + 1, block.end());
    return 0;
}

int SlaveAccess::Read(std::uint8_t reg, AccessMode mode, std::size_t length, std::vector<std::uint8_t>& data) const {
    switch (mode.size) {
        case AccessMode::Size::kByte: return ReadRegisters(reg, 1, mode.pec, data);
        case AccessMode::Size::kWord: return ReadRegisters(reg, 2, mode.pec, data);
        case AccessMode::Size::kSmbusBlock: return ReadSmbusBlock(reg, mode.pec, data);
        case AccessMode::Size::kI2cBlock: return ReadRegisters(reg, length, false, data);
    }
    return KELVANE_E_ARGUMENT_2;
}

int SlaveAccess::ReadPlain(std::size_t count, std::vector<std::uint8_t>& data) const {
    if (count == 0 || count > kLongestTransfer) {
        return KELVANE_E_ARGUMENT_3;
    }
    data.assign(count, 0);
    return library_.ReadI2cData(static_cast<unsigned char>((address7_ << 1) | 1), data.data(),
                                static_cast<unsigned>(count), speed_);
}

int SlaveAccess::Write(std::span<const std::uint8_t> bytes, bool pec) const {
    std::vector<std::uint8_t> stream;
    if (pec) {
        stream.push_back(static_cast<std::uint8_t>(address7_ << 1));
    }
    stream.insert(stream.end(), bytes.begin(), bytes.end());
    if (pec) {
        stream.push_back(SmbusPec(stream));
        stream.erase(stream.begin());
    }
    if (stream.size() > kLongestTransfer) {
        return KELVANE_E_ARGUMENT_3;
    }
    // A pointer the library can take even for 0 bytes.
    const std::uint8_t none = 0;
    return library_.WriteI2cData(static_cast<unsigned char>(address7_ << 1), stream.empty() ? &none : stream.data(),
                                 static_cast<unsigned>(stream.size()), speed_);
}

std::string SlaveAccess::What(const std::string& action) const {
    return action + " at " + Hex2(address7_);
}

}  // namespace kelvane::tool
