// The deadline of every transfer, on the virtual clock: a healthy chip needs
// a fraction of it even at the largest counts and the slowest speed; a slow
// chip whose last exchange starts just inside it succeeds; one still busy at
// it is cancelled, the transfer ends with -18 within its bound, and the next
// transfer works.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "i2c/transfer_budget.h"
#include "kelvane.h"
#include "support/i2c_fixture.h"

namespace kelvane::testing {
namespace {

using i2c::TransferBudgetMs;
using i2c::TransferTimeBoundMs;

enum class Export { kWriteI2c, kReadI2c, kSmbWrite, kSmbRead };

constexpr std::size_t kMemorySize = 65536;
constexpr std::uint8_t kRegister = 0x20;

class DeadlineTest : public I2cFixture {
protected:
    void SetUp() override {
        I2cFixture::SetUp();
        eeprom = &chip->Engine().Bus().Attach<sim::EepromSlave>(kEeprom >> 1, kMemorySize);
        smbus = &chip->Engine().Bus().Attach<sim::SmbusDevice>(kSmbus >> 1, kMemorySize);
        data.assign(65536, 0);
        for (std::size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<std::uint8_t>(i * 7 + 3);
        }
        data[0] = kRegister;  // the EEPROM pointer, the SMBus register index
    }

    // Runs one transfer export of count bytes (SMBus with PEC) and returns
    // its result.
    int Run(Export transfer, unsigned count, unsigned speed) {
        smbus->SetPecRequired(true);
        smbus->SetBlockLength(count);
        switch (transfer) {
            case Export::kWriteI2c: return WriteI2cData(kEeprom, data.data(), count, speed);
            case Export::kReadI2c: return ReadI2cData(kEeprom | 1, data.data(), count, speed);
            case Export::kSmbWrite: return SmbWriteBlock(kSmbus, data.data(), count, speed, 1);
            case Export::kSmbRead: return SmbReadBlock(kSmbus, data.data(), count, speed, 1, kRegister);
        }
        return 0;
    }

    static std::uint32_t PecBytes(Export transfer) {
        return transfer == Export::kSmbWrite || transfer == Export::kSmbRead ? 1 : 0;
    }

    // Every report written and read takes this long: one exchange is twice it.
    void SetReportLatencyUs(std::uint64_t us) {
        latencyUs = us;
        bench.SetExchangeLatencyUs(us);
    }

    // The transfer ran out of time: no request but the last began at or
    // after the deadline, the last is the cancel, the engine is idle, and the
    // call ended within its bound.
    void ExpectCancelledAtDeadline(std::uint64_t budgetMs, std::uint64_t boundMs) {
        const std::vector<sim::LoggedRequest>& requests = chip->Requests();
        ASSERT_GE(requests.size(), 2u);
        for (std::size_t i = 0; i + 1 < requests.size(); ++i) {
            EXPECT_LT(requests[i].atUs - latencyUs - MarkedUs(), budgetMs * 1000) << "request " << i;
        }
        const Report& last = requests.back().bytes;
        EXPECT_EQ(last[0], 0x10);
        EXPECT_EQ(last[2], 0x10) << "the cancel sub-command";
        EXPECT_EQ(last[3], 0x00) << "no speed change";
        EXPECT_GE(requests.back().atUs - latencyUs - MarkedUs(), budgetMs * 1000);
        EXPECT_EQ(chip->Engine().State(bench.Clock().NowUs()), sim::I2cEngine::kIdle);
        EXPECT_LE(ElapsedUs(), boundMs * 1000);
    }

    std::vector<unsigned char> data;
    std::uint64_t latencyUs = 0;
};

class HealthyChipTest : public DeadlineTest, public ::testing::WithParamInterface<std::tuple<Export, unsigned>> {};

TEST_P(HealthyChipTest, NeedsLessThanAQuarterOfTheBudgetAtTheLargestCount) {
    const auto [transfer, speed] = GetParam();
    const unsigned count = PecBytes(transfer) != 0 ? 65534 : 65535;
    chip->SetRecording(false);
    SetReportLatencyUs(1000);  // a millisecond for each report, as on a full-speed USB bus
    ASSERT_EQ(Run(transfer, count, speed), 0);
    EXPECT_LE(ElapsedUs() * 4, TransferBudgetMs(count, speed, PecBytes(transfer)) * 1000);
}

std::string ExportName(Export transfer) {
    static const char* const kNames[] = {"WriteI2cData", "ReadI2cData", "SmbWriteBlock", "SmbReadBlock"};
    return kNames[static_cast<int>(transfer)];
}

INSTANTIATE_TEST_SUITE_P(
    EveryExport, HealthyChipTest,
    ::testing::Combine(::testing::Values(Export::kWriteI2c, Export::kReadI2c, Export::kSmbWrite, Export::kSmbRead),
                       ::testing::Values(46333u, 400000u)),
    [](const ::testing::TestParamInfo<std::tuple<Export, unsigned>>& info) {
        return ExportName(std::get<0>(info.param)) + "_" + std::to_string(std::get<1>(info.param)) + "bps";
    });

// A write of 600 bytes at 100 kbit/s: a speed exchange, ten pieces each
// followed by D = 13 ms, and one end-of-transfer poll. With each report taking
// L, the poll starts at 2L x 11 + 10 x 13 ms.
TEST_F(DeadlineTest, SlowChipWhoseLastExchangeStartsJustInsideTheBudgetSucceeds) {
    constexpr unsigned kCount = 600;
    constexpr unsigned kSpeed = 100000;
    constexpr std::uint64_t kBudgetMs = TransferBudgetMs(kCount, kSpeed);
    static_assert(kBudgetMs == 3000 + 10 * (3 * 13 + 50));
    const auto pollStartUs = [](std::uint64_t latency) { return 22 * latency + 130'000; };

    SetReportLatencyUs((kBudgetMs * 1000 - 2'000 - 130'000) / 22);  // the poll starts 2 ms before the deadline
    ASSERT_LT(pollStartUs(latencyUs), kBudgetMs * 1000);
    EXPECT_EQ(Run(Export::kWriteI2c, kCount, kSpeed), 0);
    EXPECT_EQ(ElapsedUs(), pollStartUs(latencyUs) + 2 * latencyUs);
    EXPECT_EQ(Sent(0x90).size(), 10u);
    EXPECT_EQ(eeprom->Memory()[kRegister + kCount - 2], data[kCount - 1]);

    // The same chip a little slower: the poll would start 2 ms after it.
    ResetEngine();
    chip->ClearRequests();
    MarkTime();
    SetReportLatencyUs((kBudgetMs * 1000 + 2'000 - 130'000) / 22 + 1);
    ASSERT_GT(pollStartUs(latencyUs), kBudgetMs * 1000);
    EXPECT_EQ(Run(Export::kWriteI2c, kCount, kSpeed), KELVANE_E_TIMEOUT);
    EXPECT_EQ(Sent(0x90).size(), 10u);
    ExpectCancelledAtDeadline(kBudgetMs, TransferTimeBoundMs(kCount, kSpeed));
}

TEST_F(DeadlineTest, TransferStillMovingDataAtItsDeadlineIsCancelledThereAndTheNextOneWorks) {
    constexpr unsigned kCount = 600;
    constexpr unsigned kSpeed = 100000;
    SetReportLatencyUs(300'000);  // pieces start at 600 + 613 k ms: the 7th would start after 3890 ms
    EXPECT_EQ(Run(Export::kWriteI2c, kCount, kSpeed), KELVANE_E_TIMEOUT);
    EXPECT_EQ(Sent(0x90).size(), 6u);
    ExpectCancelledAtDeadline(TransferBudgetMs(kCount, kSpeed), TransferTimeBoundMs(kCount, kSpeed));

    SetReportLatencyUs(0);
    data[1] = 0x5A;
    EXPECT_EQ(Run(Export::kWriteI2c, 2, kSpeed), 0);
    EXPECT_EQ(eeprom->Memory()[kRegister], 0x5A);
}

// The chip answers every report 990 ms late, and takes each of the first
// write pieces only at its 50th try: inside every count and try of the
// engine, such a chip used to keep a large transfer going for many hours.
class SlowChipTest : public DeadlineTest, public ::testing::WithParamInterface<Export> {};

TEST_P(SlowChipTest, EndsWithTimeoutWithinItsBoundAndTheNextTransferWorks) {
    const Export transfer = GetParam();
    const unsigned count = PecBytes(transfer) != 0 ? 65534 : 65535;
    constexpr unsigned kSpeed = 48000;
    for (int piece = 0; piece < 5; ++piece) {
        Fault(sim::FaultKind::kRefuse, 0x90, 0x41, 49, 50 * piece);
    }
    SetReportLatencyUs(495'000);

    EXPECT_EQ(Run(transfer, count, kSpeed), KELVANE_E_TIMEOUT);
    ExpectCancelledAtDeadline(TransferBudgetMs(count, kSpeed, PecBytes(transfer)),
                              TransferTimeBoundMs(count, kSpeed, PecBytes(transfer)));

    ResetEngine();
    SetReportLatencyUs(0);
    EXPECT_EQ(Run(transfer, 8, kSpeed), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryExport, SlowChipTest,
                         ::testing::Values(Export::kWriteI2c, Export::kReadI2c, Export::kSmbWrite, Export::kSmbRead),
                         [](const ::testing::TestParamInfo<Export>& info) { return ExportName(info.param); });

}  // namespace
}  // namespace kelvane::testing
