// What every transfer does before its data moves: the argument checks and
// the speed exchange, for all four transfer exports.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "kelvane.h"
#include "support/i2c_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

// One of the transfer exports with everything but data, count and speed fixed.
struct Transfer {
    std::string name;
    std::function<int(unsigned char*, unsigned, unsigned)> run;
    int firstSpeedRefusal;
};

std::vector<Transfer> Transfers() {
    return {
        {"WriteI2cData", [](unsigned char* d, unsigned n, unsigned s) { return WriteI2cData(0xA0, d, n, s); },
         KELVANE_E_I2C_STATUS},
        {"ReadI2cData", [](unsigned char* d, unsigned n, unsigned s) { return ReadI2cData(0xA1, d, n, s); },
         KELVANE_E_I2C_STATUS},
        {"SmbWriteBlock", [](unsigned char* d, unsigned n, unsigned s) { return SmbWriteBlock(0x16, d, n, s, 0); },
         KELVANE_E_SMB_SPEED_REFUSED},
        {"SmbReadBlock",
         [](unsigned char* d, unsigned n, unsigned s) { return SmbReadBlock(0x16, d, n, s, 0, 0); },
         KELVANE_E_SMB_SPEED_REFUSED},
    };
}

class TransferStartTest : public I2cFixture {
protected:
    Report SpeedRequest(std::uint8_t divider, std::uint8_t cancel = 0) const {
        Report request{};
        request[0] = 0x10;
        request[2] = cancel;
        request[3] = 0x20;
        request[4] = divider;
        return request;
    }

    unsigned char data[64] = {};
};

TEST_F(TransferStartTest, CountAndSpeedAreCheckedInArgumentOrderBeforeAnythingIsSent) {
    for (const Transfer& t : Transfers()) {
        EXPECT_EQ(t.run(data, 65536, 100000), KELVANE_E_ARGUMENT_3) << t.name;
        EXPECT_EQ(t.run(nullptr, 65536, 0), KELVANE_E_ARGUMENT_3) << t.name;
        for (const unsigned speed : {0u, 46332u, 4000001u, UINT_MAX}) {
            EXPECT_EQ(t.run(data, 4, speed), KELVANE_E_ARGUMENT_4) << t.name << " " << speed;
            EXPECT_EQ(t.run(nullptr, 4, speed), KELVANE_E_ARGUMENT_4) << t.name << " " << speed;
        }
        EXPECT_TRUE(chip->Requests().empty()) << t.name;
    }
}

TEST_F(TransferStartTest, ANullDataPointerIsReportedAfterTheSpeedExchange) {
    for (const Transfer& t : Transfers()) {
        chip->ClearRequests();
        EXPECT_EQ(t.run(nullptr, 4, 400000), KELVANE_E_ARGUMENT_2) << t.name;
        EXPECT_EQ(Sent(), std::vector<Report>{SpeedRequest(27)}) << t.name;
    }
}

TEST_F(TransferStartTest, ARefusedFirstSpeedExchangeIsInvalidStatusForI2cAndCommandFailedForSmbus) {
    for (const Transfer& t : Transfers()) {
        chip->ClearRequests();
        Fault(FaultKind::kStatus, 0x10, 0x33);
        EXPECT_EQ(t.run(data, 4, 100000), t.firstSpeedRefusal) << t.name;
        EXPECT_EQ(Sent().size(), 1u) << t.name;
    }
}

TEST_F(TransferStartTest, AClockNotTakenIsSetAgainWithACancelAndTheSecondAnswerIsNotExamined) {
    chip->Engine().ForceState(0x62);  // left over from an earlier transfer
    ASSERT_EQ(WriteI2cData(kEeprom, data, 4, 100000), 0);
    const std::vector<Report> status = Sent(0x10);
    ASSERT_GE(status.size(), 2u);
    EXPECT_EQ(status[0], SpeedRequest(117));
    EXPECT_EQ(status[1], SpeedRequest(117, 0x10));
    EXPECT_EQ(chip->Engine().Divider(), 117);

    // Byte 3 of the second answer is ignored: two speed requests, then the write.
    chip->ClearRequests();
    Fault(FaultKind::kSetByte, 0x10, 0x00, 2, 0, 3);
    ASSERT_EQ(WriteI2cData(kEeprom, data, 4, 48000), 0);
    const std::vector<Report> sent = Sent();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0], SpeedRequest(247));
    EXPECT_EQ(sent[1], SpeedRequest(247, 0x10));
    EXPECT_EQ(sent[2][0], 0x90);
}

TEST_F(TransferStartTest, ARefusedCancellingSpeedExchangeIsInvalidStatusForAllFour) {
    for (const Transfer& t : Transfers()) {
        chip->ClearRequests();
        chip->Engine().ForceState(0x41);
        Fault(FaultKind::kStatus, 0x10, 0x33, 1, 1);
        EXPECT_EQ(t.run(data, 4, 100000), KELVANE_E_I2C_STATUS) << t.name;
        EXPECT_EQ(Sent().size(), 2u) << t.name;
        ResetEngine();
    }
}

}  // namespace
}  // namespace kelvane::testing
