// Which devices a scan opens, keeps and closes, counted on a bench of virtual
// chips: only the selected chip is opened, handles of an unchanged device
// live on across scans, and a device that changed or went is closed.
#include <gtest/gtest.h>

#include <memory>

#include "kelvane.h"
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

}  // namespace
}  // namespace kelvane::testing
