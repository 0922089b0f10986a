// A chip that stops answering, or stops taking requests, in the middle of a
// transfer: the transfer fails at once with -5 or -4, nothing more is sent,
// and the next transfer recovers by itself.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kelvane.h"
#include "support/i2c_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

struct Case {
    std::string name;
    std::function<int(unsigned char*)> run;
    std::size_t exchanges;  // of the whole transfer when nothing goes wrong
};

class InterruptionTest : public I2cFixture {
protected:
    std::vector<Case> Cases() {
        return {
            // speed, two pieces, poll
            {"WriteI2cData", [](unsigned char* d) { return WriteI2cData(kEeprom, d, 61, 100000); }, 4},
            // speed, read, two data reports
            {"ReadI2cData", [](unsigned char* d) { return ReadI2cData(kEeprom | 1, d, 61, 100000); }, 4},
            // speed, one piece with the PEC, poll
            {"SmbWriteBlock", [](unsigned char* d) { return SmbWriteBlock(kSmbus, d, 3, 100000, 1); }, 3},
            // speed, index, poll, read, data report
            {"SmbReadBlock", [](unsigned char* d) { return SmbReadBlock(kSmbus, d, 4, 100000, 1, 2); }, 5},
        };
    }

    void Check(FaultKind kind, int failure) {
        smbus->SetPecRequired(true);
        for (const Case& c : Cases()) {
            ASSERT_EQ(c.run(data), 0) << c.name;
            for (std::size_t k = 0; k < c.exchanges; ++k) {
                chip->ClearRequests();
                sim::FaultRule rule;
                rule.kind = kind;
                rule.skip = static_cast<int>(k);
                chip->Faults().Add(rule);
                EXPECT_EQ(c.run(data), failure) << c.name << " at exchange " << k;
                EXPECT_EQ(chip->Requests().size(), kind == FaultKind::kWriteTimeout ? k : k + 1)
                    << c.name << " at exchange " << k;
                chip->Faults().Clear();
                EXPECT_EQ(c.run(data), 0) << c.name << " after exchange " << k;
            }
        }
    }

    unsigned char data[64] = {};
};

TEST_F(InterruptionTest, NoAnswerAtAnyExchangeIsAReadFailure) {
    Check(FaultKind::kNoAnswer, KELVANE_E_READ_FAILED);
}

TEST_F(InterruptionTest, AWriteThatNeverCompletesAtAnyExchangeIsAWriteFailure) {
    Check(FaultKind::kWriteTimeout, KELVANE_E_WRITE_FAILED);
}

TEST_F(InterruptionTest, WithoutAChipEveryTransferFailsToWrite) {
    bench.Detach("1");
    EXPECT_EQ(WriteI2cData(kEeprom, data, 4, 100000), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(ReadI2cData(kEeprom, data, 4, 100000), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(SmbWriteBlock(kSmbus, data, 4, 100000, 1), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(SmbReadBlock(kSmbus, data, 4, 100000, 1, 0), KELVANE_E_WRITE_FAILED);
}

}  // namespace
}  // namespace kelvane::testing
