// The chip's lock as the core takes it, over a bench of virtual chips whose
// platform records every lock, unlock, write and read, and can play another
// program that holds the chip until a moment of the virtual clock: taken
// before a call's first request and released after its last answer, never
// by a scan; a held chip waited for up to the bound and then refused with
// -28 before anything is sent; a lock lost with its handle taken again on
// the new one.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "core/call_lock.h"
#include "kelvane.h"
#include "slaves/eeprom_slave.h"
#include "support/sim_fixture.h"

namespace kelvane::testing {
namespace {

using platform::DeviceHandle;
using platform::LockStatus;

// What the platform saw, in order: "lock", "unlock", "write 0x10", "read".
class LockingPlatform final : public sim::SimPlatform {
public:
    using SimPlatform::SimPlatform;

    static constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

    LockStatus LockDevice(DeviceHandle handle, std::uint32_t waitMs) override {
        ++lockCalls;
        if (lockFails) {
            return LockStatus::kFailed;
        }
        // Another program holds the chip until heldElsewhereUntilMs: wait
        // for it in steps of the virtual clock, at most waitMs.
        const std::uint64_t start = NowMs();
        while (NowMs() < heldElsewhereUntilMs) {
            if (NowMs() - start >= waitMs) {
                events.push_back("busy");
                return LockStatus::kBusy;
            }
            SleepMs(1);
        }
        events.push_back("lock");
        EXPECT_EQ(held, platform::kInvalidHandle) << "locked twice";
        held = handle;
        lockedHandles.push_back(handle);
        return LockStatus::kAcquired;
    }

    void UnlockDevice(DeviceHandle handle) override {
        events.push_back("unlock");
        EXPECT_EQ(handle, held) << "unlocked a handle that holds no lock";
        held = platform::kInvalidHandle;
    }

    platform::TransferStatus Write(DeviceHandle handle, const platform::WireReport& report,
                                   std::uint32_t timeoutMs) override {
        char text[16];
        std::snprintf(text, sizeof text, "write 0x%02x", report[1]);
        events.push_back(text);
        EXPECT_EQ(handle, held) << "a request written without the chip's lock";
        return SimPlatform::Write(handle, report, timeoutMs);
    }

    platform::TransferStatus Read(DeviceHandle handle, platform::WireReport& report,
                                  std::uint32_t timeoutMs) override {
        events.push_back("read");
        return SimPlatform::Read(handle, report, timeoutMs);
    }

    void Close(DeviceHandle handle) override {
        EXPECT_NE(handle, held) << "a handle closed while its lock was held";
        SimPlatform::Close(handle);
    }

    std::vector<std::string> events;
    std::vector<DeviceHandle> lockedHandles;
    DeviceHandle held = platform::kInvalidHandle;
    std::uint64_t heldElsewhereUntilMs = 0;
    bool lockFails = false;
    int lockCalls = 0;
};

class CallLockTest : public ::testing::Test {
protected:
    CallLockTest() {
        platform::SetActivePlatform(&platform);
        DllInit();
        chip = &bench.Attach("1");
        // An EEPROM at 7-bit address 0x50 holding byte i = i.
        std::vector<std::uint8_t>& memory = chip->Engine().Bus().Attach<sim::EepromSlave>(0x50, 256).Memory();
        for (std::size_t i = 0; i < memory.size(); ++i) {
            memory[i] = static_cast<std::uint8_t>(i);
        }
        EXPECT_EQ(GetConnectionStatus(), 1);
        platform.events.clear();
    }
    ~CallLockTest() override {
        DllInit();
        EXPECT_EQ(platform.held, platform::kInvalidHandle) << "a lock outlived its call";
        EXPECT_EQ(platform.OpenHandleCount(), 0);
        platform::SetActivePlatform(nullptr);
        core::SetChipWaitLimitMs(core::kChipWaitLimitMs);
    }

    std::vector<std::string> Events(std::initializer_list<const char*> list) {
        return std::vector<std::string>(list.begin(), list.end());
    }

    sim::Bench bench;
    LockingPlatform platform{bench};
    sim::Chip* chip = nullptr;
};

TEST_F(CallLockTest, ACallHoldsTheChipFromItsFirstRequestToItsLastAnswer) {
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(platform.events, Events({"lock", "write 0x10", "read", "unlock"}));

    // A flash setter reads the block and writes it back under one lock.
    platform.events.clear();
    ASSERT_EQ(SetUsbCurrentRequirement(200), 0);
    EXPECT_EQ(platform.events, Events({"lock", "write 0xb0", "read", "write 0xb1", "read", "unlock"}));

    // A transfer of several pieces, with its pauses, under one lock.
    platform.events.clear();
    std::vector<unsigned char> data(130, 0x5A);
    data[0] = 0x00;
    ASSERT_EQ(WriteI2cData(0xA0, data.data(), static_cast<unsigned>(data.size()), 400000), 0);
    ASSERT_GE(platform.events.size(), 8u);
    EXPECT_EQ(platform.events.front(), "lock");
    EXPECT_EQ(platform.events.back(), "unlock");
    EXPECT_EQ(platform.lockCalls, 3);
}

TEST_F(CallLockTest, ScansAndCallsThatSendNothingTakeNoLock) {
    char path[256];
    EXPECT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 1);
    EXPECT_EQ(SelectDev(0), 0);
    EXPECT_EQ(GetSelectedDevNumber(), 0);
    EXPECT_EQ(GetSelectedDevInfo(path), 0);
    // Argument errors come before anything is sent, and before any lock.
    EXPECT_EQ(WriteI2cData(0xA0, nullptr, 70000, 100000), KELVANE_E_ARGUMENT_3);
    EXPECT_EQ(SetUsbCurrentRequirement(501), KELVANE_E_ARGUMENT_1);
    EXPECT_TRUE(platform.events.empty());
    EXPECT_EQ(platform.lockCalls, 0);
}

TEST_F(CallLockTest, AChipHeldElsewhereIsWaitedForThenRefusedWithNothingSent) {
    const std::size_t requestsBefore = chip->Requests().size();
    platform.heldElsewhereUntilMs = LockingPlatform::kNever;

    const std::uint64_t start = bench.Clock().NowMs();
    EXPECT_EQ(GetUsbVid(), KELVANE_E_CHIP_BUSY);
    EXPECT_EQ(bench.Clock().NowMs() - start, core::kChipWaitLimitMs);

    unsigned char data[8] = {};
    EXPECT_EQ(ReadI2cData(0xA1, data, sizeof data, 100000), KELVANE_E_CHIP_BUSY);
    EXPECT_EQ(SmbReadBlock(0x16, data, 4, 100000, 1, 0x10), KELVANE_E_CHIP_BUSY);
    EXPECT_EQ(ResetDevice(), KELVANE_E_CHIP_BUSY);
    EXPECT_EQ(chip->Requests().size(), requestsBefore);

    // The refusal loses nothing: once the other program lets go, the same
    // connection serves the next call without a scan.
    const int enumerations = platform.EnumerationCount();
    platform.heldElsewhereUntilMs = 0;
    EXPECT_EQ(GetUsbVid(), KELVANE_DEFAULT_VID);
    EXPECT_EQ(platform.EnumerationCount(), enumerations);
}

TEST_F(CallLockTest, AChipLetGoWithinTheWaitServesTheCallAndTheTransferKeepsItsWholeBudget) {
    // Another program holds the chip for 10 s, far beyond the 3.05 s budget
    // of a short read: the budget starts when the chip is held.
    platform.heldElsewhereUntilMs = bench.Clock().NowMs() + 10'000;
    unsigned char data[8] = {};
    EXPECT_EQ(ReadI2cData(0xA1, data, sizeof data, 400000), 0);
    EXPECT_EQ(data[1], 1);
    EXPECT_EQ(data[7], 7);
    EXPECT_GE(bench.Clock().NowMs(), platform.heldElsewhereUntilMs);
}

TEST_F(CallLockTest, TheWaitBoundIsTheOneInForce) {
    core::SetChipWaitLimitMs(250);
    platform.heldElsewhereUntilMs = LockingPlatform::kNever;
    const std::uint64_t start = bench.Clock().NowMs();
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_CHIP_BUSY);
    EXPECT_EQ(bench.Clock().NowMs() - start, 250u);
}

TEST_F(CallLockTest, ALockThatCannotBeAskedForFailsTheCallAsAWriteWithNothingSent) {
    const std::size_t requestsBefore = chip->Requests().size();
    platform.lockFails = true;
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);
    unsigned char data[2] = {0x00, 0x01};
    EXPECT_EQ(WriteI2cData(0xA0, data, 2, 100000), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(chip->Requests().size(), requestsBefore);
}

TEST_F(CallLockTest, ALostConnectionGivesUpTheLockBeforeItsHandleCloses) {
    // The answer to the first request is lost: the read times out, the
    // handles close (Close checks that the lock went first), and the next
    // call connects again and takes the lock on the new handle.
    sim::FaultRule rule;
    rule.kind = sim::FaultKind::kNoAnswer;
    rule.times = 1;
    chip->Faults().Add(rule);
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_READ_FAILED);
    EXPECT_EQ(platform.events, Events({"lock", "write 0x10", "read", "unlock"}));

    platform.events.clear();
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(platform.events, Events({"lock", "write 0x10", "read", "unlock"}));
    ASSERT_EQ(platform.lockedHandles.size(), 2u);
}

TEST_F(CallLockTest, AChipLostInATransferIsTakenAgainOnItsNewHandlesByTheNextCall) {
    // The transfer loses the chip after its speed exchange (the write is
    // refused: the device has gone), then the next call scans, reopens and
    // locks the new handle. Each call holds at most one lock at a time.
    sim::FaultRule rule;
    rule.kind = sim::FaultKind::kWriteRefused;
    rule.command = 0x91;
    rule.times = 1;
    chip->Faults().Add(rule);
    unsigned char data[4] = {};
    EXPECT_EQ(ReadI2cData(0xA1, data, sizeof data, 100000), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(platform.held, platform::kInvalidHandle);
    EXPECT_EQ(ReadI2cData(0xA1, data, sizeof data, 100000), 0);
    EXPECT_EQ(data[3], 3);
    EXPECT_EQ(platform.lockedHandles.size(), 2u);
}

}  // namespace
}  // namespace kelvane::testing
