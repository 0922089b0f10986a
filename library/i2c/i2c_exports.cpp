// WriteI2cData and ReadI2cData: plain I2C transfers of up to 65,535 bytes.
#include <span>

#include "core/call_lock.h"
#include "i2c/engine.h"
#include "i2c/protocol.h"
#include "i2c/transfer_budget.h"
#include "kelvane.h"

using namespace kelvane::i2c;

namespace {

// The checks and the speed exchange that begin both transfers: the count
// (-203) and the speed (-204) before anything is sent, then the speed
// exchange, then the data pointer (-202).
int StartI2cTransfer(TransferReports& reports, bool haveData, std::uint32_t count, std::uint32_t speed) {
    if (const int result = CheckCountAndSpeed(count, kMaxTransferCount, speed); result != KELVANE_SUCCESS) {
        return result;
    }
    if (const int result = SetI2cSpeed(reports, speed, KELVANE_E_I2C_STATUS); result != KELVANE_SUCCESS) {
        return result;
    }
    return haveData ? KELVANE_SUCCESS : KELVANE_E_ARGUMENT_2;
}

int WriteI2c(TransferReports& reports, std::uint8_t address, const std::uint8_t* data, std::uint32_t count,
             std::uint32_t speed) {
    if (const int result = StartI2cTransfer(reports, data != nullptr, count, speed); result != KELVANE_SUCCESS) {
        return result;
    }
    const std::uint32_t delay = PollDelay(speed);
    const WriteStream stream(std::span(data, count));
    if (const int result = SendWriteChunks(reports, kI2cWriteCommand, address, stream, delay);
        result != KELVANE_SUCCESS) {
        return result;
    }
    return WaitTransferEnd(reports, delay, AddressFlag::kCheck);
}

int ReadI2c(TransferReports& reports, std::uint8_t address, std::uint8_t* data, std::uint32_t count,
            std::uint32_t speed) {
    if (const int result = StartI2cTransfer(reports, data != nullptr, count, speed); result != KELVANE_SUCCESS) {
        return result;
    }
    if (const int result = StartRead(reports, kI2cReadCommand, address, count); result != KELVANE_SUCCESS) {
        return result;
    }
    ReadSink sink(std::span(data, count));
    return CollectReadData(reports, sink, PollDelay(speed));
}

}  // namespace

extern "C" {

KELVANE_API int KELVANE_CALL WriteI2cData(unsigned char address, const unsigned char* data, unsigned int count,
                                          unsigned int speed) {
    const kelvane::core::CallLock lock;
    TransferReports reports = BudgetedTransfer(TransferBudgetMs(count, speed));
    return EndTransfer(reports, WriteI2c(reports, address, data, count, speed));
}

KELVANE_API int KELVANE_CALL ReadI2cData(unsigned char address, unsigned char* data, unsigned int count,
                                         unsigned int speed) {
    const kelvane::core::CallLock lock;
    TransferReports reports = BudgetedTransfer(TransferBudgetMs(count, speed));
    return EndTransfer(reports, ReadI2c(reports, address, data, count, speed));
}

}  // extern "C"
