// Which devices a scan opens, keeps and closes, counted on a bench of virtual
// chips: only the selected chip is opened, handles of an unchanged device
// live on across scans, a device that changed or went is closed, and a scan
// that runs out of memory loses no handle.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>

#include "kelvane.h"
#include "platform/platform.h"
#include "support/sim_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

class ScanHandlesTest : public SimFixture {
protected:
    // Opens and closes since the mark.
    void MarkHandles() {
        opensAtMark_ = platform.OpenCount();
        closesAtMark_ = platform.CloseCount();
    }
    int Opened() const { return platform.OpenCount() - opensAtMark_; }
    int Closed() const { return platform.CloseCount() - closesAtMark_; }

    // What `KelvaneCLI -devices` does: select, status, serial number of each.
    void ListChips() {
        ASSERT_EQ(GetConnectionStatus(), 1);
        for (int i = 0; i < GetDevCount(); ++i) {
            KelvaneChar serial[31];
            ASSERT_EQ(SelectDev(static_cast<unsigned>(i)), 0);
            ASSERT_EQ(GetConnectionStatus(), 1);
            ASSERT_EQ(GetSerialNumber(serial), 0);
        }
    }

private:
    int opensAtMark_ = 0;
    int closesAtMark_ = 0;
};

TEST_F(ScanHandlesTest, ScansOfAnUnchangedSetOpenNothingAfterTheSelectedChip) {
    sim::Chip& first = bench.Attach("1");
    bench.Attach("2");
    bench.Attach("3");
    MarkHandles();
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(Opened(), 2);  // the selected chip's write and read handle
    EXPECT_EQ(platform.OpenHandleCount(), 2);

    MarkHandles();
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(GetConnectionStatus(), 1);
    }
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(Opened(), 0);
    EXPECT_EQ(Closed(), 0);
    EXPECT_EQ(GetDevCount(), 3);
    EXPECT_EQ(RequestsOf(first, 0x10).size(), 1u);
}

TEST_F(ScanHandlesTest, ListingOpensEachChipOnceAndEachChipAnswersOnItsOwnHandles) {
    sim::Chip* chips[] = {&bench.Attach("1"), &bench.Attach("2"), &bench.Attach("3")};
    MarkHandles();
    ListChips();
    EXPECT_EQ(Opened(), 6);
    EXPECT_EQ(Closed(), 0);
    for (sim::Chip* chip : chips) {
        EXPECT_EQ(RequestsOf(*chip, 0xB0).size(), 1u);
    }

    // A second listing in the same process opens nothing: every chip was kept.
    MarkHandles();
    ListChips();
    EXPECT_EQ(Opened(), 0);
    EXPECT_EQ(Closed(), 0);
    for (sim::Chip* chip : chips) {
        EXPECT_EQ(RequestsOf(*chip, 0xB0).size(), 2u);
    }

    // Back to chip 0: its kept handles serve it.
    ASSERT_EQ(SelectDev(0), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(RequestsOf(*chips[0], 0x10).size(), 1u);
    EXPECT_EQ(RequestsOf(*chips[2], 0x10).size(), 0u);
    EXPECT_EQ(Opened(), 0);
}

TEST_F(ScanHandlesTest, ChipReenumeratedAtTheSamePortIsReopenedByTheNextScan) {
    sim::Chip& chip = bench.Attach("1");
    bench.Attach("2");
    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(ResetDevice(), 0);  // the chip drops off the bus and comes back

    MarkHandles();
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(Closed(), 2);
    EXPECT_EQ(Opened(), 2);
    // The scan found the new instance: the first command goes through.
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(RequestsOf(chip, 0x10).size(), 1u);
}

TEST_F(ScanHandlesTest, UnselectedChipThatWasReplacedIsClosedAndOpenedOnlyWhenSelected) {
    bench.Attach("1");
    bench.Attach("2");
    ListChips();  // both open; chip 1 selected
    ASSERT_EQ(SelectDev(0), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);

    // Chip 1 is unplugged and plugged in again while chip 0 is in use.
    bench.Attach("2", bench.Detach("2"));
    MarkHandles();
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(Closed(), 2);
    EXPECT_EQ(Opened(), 0);
    EXPECT_EQ(platform.OpenHandleCount(), 2);

    ASSERT_EQ(SelectDev(1), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(Opened(), 2);
    EXPECT_EQ(GetSclLineValue(), 1);
}

TEST_F(ScanHandlesTest, ChipThatVanishedIsClosedAndReopenedWhenItComesBack) {
    AttachAndConnect("1");
    std::unique_ptr<sim::Chip> chip = bench.Detach("1");
    MarkHandles();
    EXPECT_EQ(GetConnectionStatus(), 0);
    EXPECT_EQ(Closed(), 2);
    EXPECT_EQ(platform.OpenHandleCount(), 0);

    bench.Attach("1", std::move(chip));
    EXPECT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(Opened(), 2);
    EXPECT_EQ(GetSclLineValue(), 1);
}

TEST_F(ScanHandlesTest, TimeOutClosesTheSelectedChipsHandlesAndTheNextTransferReopensThem) {
    sim::Chip& chip = bench.Attach("1");
    bench.Attach("2");
    ListChips();
    ASSERT_EQ(SelectDev(0), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);
    AddFault(chip, FaultKind::kNoAnswer, 0x10);

    MarkHandles();
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_READ_FAILED);
    EXPECT_EQ(Closed(), 2);
    EXPECT_EQ(platform.OpenHandleCount(), 2);  // chip 1 keeps its handles
    EXPECT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(Opened(), 2);
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(platform.StaleCloseCount(), 0);
}

TEST_F(ScanHandlesTest, ScanThatDoesNotConnectOpensNothing) {
    bench.Attach("1");
    bench.Attach("2");
    ListChips();  // chip 1 selected, both open
    bench.Detach("1");  // chip 1 now sits at index 0: not connected

    MarkHandles();
    EXPECT_EQ(GetConnectionStatus(), 0);
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(Opened(), 0);
    EXPECT_EQ(Closed(), 2);  // chip 0's
    EXPECT_EQ(platform.OpenHandleCount(), 2);  // the moved chip is kept
}

// The bench's platform, whose memory runs out on the calls a test names:
// its enumeration, or the n-th call of Open or StillReaches from the mark on
// (and every one after it while the memory stays short).
class ScarceMemoryPlatform : public platform::Platform {
public:
    explicit ScarceMemoryPlatform(sim::SimPlatform& bench) : bench_(bench) {}

    bool enumerationFails = false;
    int openFailsFrom = 0;          // 0: never
    int stillReachesFailsFrom = 0;  // 0: never

    void MemoryBack() {
        enumerationFails = false;
        openFailsFrom = 0;
        stillReachesFailsFrom = 0;
        opens_ = 0;
        stillReaches_ = 0;
    }

    std::vector<platform::HidInterface> EnumerateInterfaces() override {
        if (enumerationFails) {
            throw std::bad_alloc();
        }
        return bench_.EnumerateInterfaces();
    }
    platform::DeviceHandle Open(std::string_view path, platform::OpenMode mode) override {
        if (openFailsFrom > 0 && ++opens_ >= openFailsFrom) {
            throw std::bad_alloc();  // before anything is opened
        }
        return bench_.Open(path, mode);
    }
    bool StillReaches(platform::DeviceHandle handle) override {
        if (stillReachesFailsFrom > 0 && ++stillReaches_ >= stillReachesFailsFrom) {
            throw std::bad_alloc();
        }
        return bench_.StillReaches(handle);
    }
    platform::TransferStatus Write(platform::DeviceHandle handle, const platform::WireReport& report,
                                   std::uint32_t timeoutMs) override {
        return bench_.Write(handle, report, timeoutMs);
    }
    platform::TransferStatus Read(platform::DeviceHandle handle, platform::WireReport& report,
                                  std::uint32_t timeoutMs) override {
        return bench_.Read(handle, report, timeoutMs);
    }
    void DiscardPendingReports(platform::DeviceHandle readHandle) override {
        bench_.DiscardPendingReports(readHandle);
    }
    platform::LockStatus LockDevice(platform::DeviceHandle handle, std::uint32_t waitMs) override {
        return bench_.LockDevice(handle, waitMs);
    }
    void UnlockDevice(platform::DeviceHandle handle) override { bench_.UnlockDevice(handle); }
    void Cancel(platform::DeviceHandle handle) override { bench_.Cancel(handle); }
    void Close(platform::DeviceHandle handle) override { bench_.Close(handle); }
    void SleepMs(std::uint32_t milliseconds) override { bench_.SleepMs(milliseconds); }
    std::uint64_t NowMs() override { return bench_.NowMs(); }

private:
    sim::SimPlatform& bench_;
    int opens_ = 0;
    int stillReaches_ = 0;
};

// Every handle goes through `memory` to the bench's platform, which counts
// them; the fixture's end checks that none is left open or closed twice.
class ScarceMemoryScanTest : public ScanHandlesTest {
protected:
    ScarceMemoryScanTest() { platform::SetActivePlatform(&memory); }
    ~ScarceMemoryScanTest() override { platform::SetActivePlatform(&platform); }

    // Exports called as a C caller calls them: an exception that left one
    // would fail the test here.
    int ConnectionStatus() {
        int status = -1;
        EXPECT_NO_THROW(status = GetConnectionStatus());
        return status;
    }
    int SclLineValue() {
        int value = -1;
        EXPECT_NO_THROW(value = GetSclLineValue());
        return value;
    }

    // With memory back, the library connects and lists every chip again;
    // once they are all gone, no handle it opened is left open.
    void EveryHandleStillAccountedFor(int chips) {
        memory.MemoryBack();
        ASSERT_EQ(ConnectionStatus(), 1);
        EXPECT_EQ(GetDevCount(), chips);
        EXPECT_EQ(SclLineValue(), 1);
        ListChips();
        for (int port = 1; port <= chips; ++port) {
            bench.Detach(std::to_string(port));
        }
        EXPECT_EQ(ConnectionStatus(), 0);
        EXPECT_EQ(platform.OpenHandleCount(), 0) << "a handle the library no longer holds";
        EXPECT_EQ(platform.StaleCloseCount(), 0);
    }

    ScarceMemoryPlatform memory{platform};
};

TEST_F(ScarceMemoryScanTest, EnumerationThatRunsOutListsNothingAndClosesEveryHandle) {
    bench.Attach("1");
    bench.Attach("2");
    bench.Attach("3");
    ListChips();  // six handles open, chip 2 selected
    ASSERT_EQ(platform.OpenHandleCount(), 6);

    memory.enumerationFails = true;
    EXPECT_EQ(ConnectionStatus(), 0);
    EXPECT_EQ(GetDevCount(), 0);
    EXPECT_EQ(platform.OpenHandleCount(), 0) << "handles of a table that lists nothing";
    // A transfer scans again, finds nothing and fails with a code.
    EXPECT_EQ(SclLineValue(), KELVANE_E_WRITE_FAILED);
    EveryHandleStillAccountedFor(3);
}

TEST_F(ScarceMemoryScanTest, MemoryThatRunsOutWhileTheTableIsRebuiltEndsTheScanWithoutConnecting) {
    bench.Attach("1");
    bench.Attach("2");
    bench.Attach("3");
    ListChips();  // every chip keeps its handles across scans
    ASSERT_EQ(platform.OpenHandleCount(), 6);

    // Chip 0's handles are taken back; the check of chip 1's write handle
    // runs out of memory.
    memory.stillReachesFailsFrom = 3;
    EXPECT_EQ(ConnectionStatus(), 0);
    EXPECT_EQ(SclLineValue(), KELVANE_E_WRITE_FAILED);
    EveryHandleStillAccountedFor(3);
}

TEST_F(ScarceMemoryScanTest, OpenThatRunsOutLeavesTheSelectedChipUnconnected) {
    bench.Attach("1");
    bench.Attach("2");
    MarkHandles();

    // The write handle opens; memory runs out at the read handle.
    memory.openFailsFrom = 2;
    EXPECT_EQ(ConnectionStatus(), 0);
    EXPECT_EQ(Opened(), 1);
    EXPECT_EQ(SclLineValue(), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(ConnectionStatus(), 0);
    EveryHandleStillAccountedFor(2);
}

}  // namespace
}  // namespace kelvane::testing
