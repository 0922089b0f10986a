// SmbWriteBlock and SmbReadBlock: SMBus block transfers with optional packet
// error checking, on the I2C engine. A block read begins with its register
// phase: the register index written to the slave with a 0x94 request, after
// which the engine waits for the read.
#include <span>

#include "core/call_lock.h"
#include "i2c/engine.h"
#include "i2c/pec.h"
#include "i2c/protocol.h"
#include "i2c/transfer_budget.h"
#include "kelvane.h"

using namespace kelvane::i2c;

namespace {

// The register phase: writes the register index to a slave address byte (the
// acceptance loop, then a pause of D), and polls the status until the engine
// waits for the read (state 0x45). -11 when the engine went idle instead;
// otherwise the results of the acceptance loop and of the status poll.
int WriteRegisterIndex(TransferReports& reports, std::uint8_t address, std::uint8_t index, std::uint32_t delay) {
    const WriteStream stream(std::span<const std::uint8_t>(&index, 1));
    if (const int result = SendWriteChunks(reports, kWriteBeforeReadCommand, address, stream, delay);
        result != KELVANE_SUCCESS) {
        return result;
    }
    const PollGoal goal{kEngineAwaitingRead, KELVANE_E_SMB_DATA_NACK, false};
    return PollEngineStatus(reports, delay, goal);
}

// With PEC the code travels in the same transfer, one byte more.
std::uint32_t MaxBlockCount(bool pec) {
    return pec ? kMaxTransferCount - 1 : kMaxTransferCount;
}

// Sets the speed: -8 when the first exchange is refused, -22 the second.
int StartBlockTransfer(TransferReports& reports, std::uint32_t count, std::uint32_t speed, bool pec) {
    if (const int result = CheckCountAndSpeed(count, MaxBlockCount(pec), speed); result != KELVANE_SUCCESS) {
        return result;
    }
    return SetI2cSpeed(reports, speed, KELVANE_E_SMB_SPEED_REFUSED);
}

// A read with PEC passes only when the whole stream, PEC byte included,
// arrived and the code matches.
int CheckReadPec(const ReadSink& sink, std::uint8_t address, std::uint8_t index,
                 std::span<const std::uint8_t> data) {
    if (!sink.Complete() || sink.Pec() != ReadBlockPec(address, index, data)) {
        return KELVANE_E_WRONG_PEC;
    }
    return KELVANE_SUCCESS;
}

int WriteBlock(TransferReports& reports, std::uint8_t address, const std::uint8_t* data, std::uint32_t count,
               std::uint32_t speed, std::uint8_t pec) {
    if (const int result = StartBlockTransfer(reports, count, speed, pec != 0); result != KELVANE_SUCCESS) {
        return result;
    }
    if (data == nullptr) {
        return KELVANE_E_ARGUMENT_2;
    }
    const std::span<const std::uint8_t> bytes(data, count);
    const WriteStream stream = pec != 0 ? WriteStream(bytes, WriteBlockPec(address, bytes)) : WriteStream(bytes);
    const std::uint32_t delay = PollDelay(speed);
    if (const int result = SendWriteChunks(reports, kI2cWriteCommand, address, stream, delay);
        result != KELVANE_SUCCESS) {
        return result;
    }
    return WaitTransferEnd(reports, delay, AddressFlag::kIgnore);
}

int ReadBlock(TransferReports& reports, std::uint8_t address, std::uint8_t* data, std::uint32_t count,
              std::uint32_t speed, std::uint8_t pec, std::uint8_t index) {
    if (const int result = StartBlockTransfer(reports, count, speed, pec != 0); result != KELVANE_SUCCESS) {
        return result;
    }
    if (data == nullptr) {
        return KELVANE_E_ARGUMENT_2;
    }
    const std::uint32_t delay = PollDelay(speed);
    if (const int result = WriteRegisterIndex(reports, address, index, delay); result != KELVANE_SUCCESS) {
        return result;
    }
    const std::span<std::uint8_t> buffer(data, count);
    ReadSink sink(buffer, pec != 0 ? ReadSink::Trailer::kPec : ReadSink::Trailer::kNone);
    const auto readAddress = static_cast<std::uint8_t>(address | kReadBit);
    if (const int result = StartRead(reports, kReadAfterWriteCommand, readAddress, static_cast<std::uint32_t>(sink.Total()));
        result != KELVANE_SUCCESS) {
        return result;
    }
    if (const int result = CollectReadData(reports, sink, delay); result != KELVANE_SUCCESS) {
        return result;
    }
    return pec != 0 ? CheckReadPec(sink, address, index, buffer) : KELVANE_SUCCESS;
}

// The transfer's time budget counts the PEC byte as one more byte.
TransferReports BlockTransfer(std::uint32_t count, std::uint32_t speed, std::uint8_t pec) {
    return BudgetedTransfer(TransferBudgetMs(count, speed, pec != 0 ? 1 : 0));
}

}  // namespace

extern "C" {

KELVANE_API int KELVANE_CALL SmbWriteBlock(unsigned char address, const unsigned char* data, unsigned int count,
                                           unsigned int speed, unsigned char pec) {
    const kelvane::core::CallLock lock;
    TransferReports reports = BlockTransfer(count, speed, pec);
    return EndTransfer(reports, WriteBlock(reports, address, data, count, speed, pec));
}

KELVANE_API int KELVANE_CALL SmbReadBlock(unsigned char address, unsigned char* data, unsigned int count,
                                          unsigned int speed, unsigned char pec, unsigned char index) {
    const kelvane::core::CallLock lock;
    TransferReports reports = BlockTransfer(count, speed, pec);
    return EndTransfer(reports, ReadBlock(reports, address, data, count, speed, pec, index));
}

}  // extern "C"
