#include "slaves/smbus_device.h"

#include "slaves/smbus_crc.h"

namespace kelvane::sim {

SmbusDevice::SmbusDevice(std::size_t registerCount, std::size_t blockLength)
    : registers_(registerCount, 0), blockLength_(blockLength), held_(registerCount + 2, 0) {}

bool SmbusDevice::Start(std::uint8_t addressByte) {
    const bool read = (addressByte & 0x01) != 0;
    if (!read) {
        writing_ = true;
        writeAddress_ = addressByte;
        heldCount_ = 0;
        return true;
    }
    if (writing_) {
        // Repeated start after the index: the read covers the write phase too.
        readCrc_ = SmbusCrc(0, writeAddress_);
        for (std::size_t i = 0; i < heldCount_; ++i) {
            readCrc_ = SmbusCrc(readCrc_, held_[i]);
        }
        if (heldCount_ > 0) {
            pointer_ = held_[0] % registers_.size();
        }
        writing_ = false;
    } else {
        readCrc_ = 0;
    }
    readCrc_ = SmbusCrc(readCrc_, addressByte);
    readCount_ = 0;
    return true;
}

bool SmbusDevice::Write(std::uint8_t byte) {
    if (!writing_ || heldCount_ == held_.size()) {
        return false;  // longer than any write the device can hold
    }
    held_[heldCount_++] = byte;
    return true;
}

std::uint8_t SmbusDevice::Read() {
    const std::size_t at = readCount_++;
    if (at < blockLength_) {
        const std::uint8_t byte = registers_[(pointer_ + at) % registers_.size()];
        readCrc_ = SmbusCrc(readCrc_, byte);
        return byte;
    }
    return at == blockLength_ ? readCrc_ : 0xFF;
}

void SmbusDevice::Stop() {
    if (writing_) {
        FinishWrite();
    }
    writing_ = false;
}

void SmbusDevice::FinishWrite() {
    std::size_t count = heldCount_;
    if (count > 0 && (pecRequired_ || count == blockLength_ + 2)) {
        std::uint8_t crc = SmbusCrc(0, writeAddress_);
        for (std::size_t i = 0; i + 1 < count; ++i) {
            crc = SmbusCrc(crc, held_[i]);
        }
        if (crc != held_[count - 1]) {
            ++pecErrors_;
            return;
        }
        --count;
    }
    if (count == 0) {
        return;
    }
    pointer_ = held_[0] % registers_.size();
    for (std::size_t i = 1; i < count; ++i) {
        registers_[(pointer_ + i - 1) % registers_.size()] = held_[i];
    }
    ++writesTaken_;
}

}  // namespace kelvane::sim
