// The library's exports over the hidraw backend: discovery through the
// class directory, exchanges through the nodes with a device that answers,
// the reconnection of a chip that comes back under a new node number after a
// reset, reports that are not the answer to the request just written, and
// which nodes scans open, keep and close.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>
#include <string>
#include <vector>

#include "core/call_lock.h"
#include "kelvane.h"
#include "platform/hidraw/fake_hidraw.h"
#include "platform/hidraw/hidraw_platform.h"

namespace kelvane::testing {
namespace {

constexpr char kChipId[] = "0003:00001209:00004B56";
constexpr char kPhys[] = "usb-0000:00:14.0-2/input0";

using Reports = std::vector<std::vector<unsigned char>>;

// A status response, as hidraw hands it over: 64 bytes, no report number.
std::vector<unsigned char> StatusResponse(unsigned char scl) {
    std::vector<unsigned char> report(64, 0);
    report[0] = 0x10;
    report[22] = scl;
    return report;
}

// A GPIO values response: every pin a GPIO input, pin 0 at level 1.
std::vector<unsigned char> GpioResponse() {
    std::vector<unsigned char> report(64, 0);
    report[0] = 0x51;
    for (std::size_t pin = 0; pin < 4; ++pin) {
        report[2 + 2 * pin] = pin == 0 ? 1 : 0;
        report[3 + 2 * pin] = 1;
    }
    return report;
}

// The chip's side: status requests get SCL level 1, GPIO requests pin 0 at
// level 1, the reset request nothing.
Reports ChipAnswer(const std::vector<unsigned char>& request) {
    if (request.size() != 65) {
        return {};
    }
    switch (request[1]) {
        case 0x10: return {StatusResponse(0x01)};
        case 0x51: return {GpioResponse()};
        default: return {};
    }
}

class LibraryOverHidraw : public ::testing::Test {
protected:
    LibraryOverHidraw() {
        std::signal(SIGPIPE, SIG_IGN);
        platform::SetActivePlatform(&platform_);
        DllInit();
    }
    ~LibraryOverHidraw() override {
        fake_.StopResponding();
        DllInit();
        platform::SetActivePlatform(nullptr);
    }

    FakeHidraw fake_;
    platform::HidrawPlatform platform_{fake_.ClassDir(), fake_.DevDir(), fake_.Opener(), fake_.Locker()};
};

TEST_F(LibraryOverHidraw, FindsTheChipAndExchangesFramedReports) {
    fake_.AddHidNode("hidraw0", "0003:0000046D:0000C52B", "usb-0000:00:14.0-1/input0");
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.Respond(ChipAnswer);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 1);
    char path[256];
    GetSelectedDevInfo(path);
    EXPECT_STREQ(path, kPhys);

    ASSERT_EQ(fake_.Opens().size(), 2u);  // write, then read
    EXPECT_EQ(GetSclLineValue(), 0x01);
    const Reports requests = fake_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_EQ(requests[0].size(), 65u);
    EXPECT_EQ(requests[0][0], 0x00);  // report number
    EXPECT_EQ(requests[0][1], 0x10);  // command
}

TEST_F(LibraryOverHidraw, ChipBackUnderANewNodeIsReconnectedByTheNextExchanges) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.Respond(ChipAnswer);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(ResetDevice(), 0);

    // The chip re-enumerates while the library still holds its old node: the
    // kernel gives it a new number, the old node hangs up.
    fake_.RemoveNode("hidraw3");
    fake_.AddHidNode("hidraw4", kChipId, kPhys);
    fake_.HangUp(0);
    fake_.HangUp(1);

    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);  // the old node has gone
    EXPECT_EQ(GetSclLineValue(), 0x01);                    // scanned, reopened, answered
    EXPECT_EQ(fake_.Opens().back().nodePath, fake_.NodePath("hidraw4"));
    EXPECT_EQ(GetSelectedDevNumber(), 0);
}

TEST_F(LibraryOverHidraw, DeviceWithForgedStringsIsNotListedAndTheChipKeepsItsPlace) {
    // A keyboard found first, whose product string forges the chip's
    // identifiers and whose serial-number string forges the chip's place.
    fake_.AddNodeOfDevice("hidraw0", "0003:046D:C52B.0001",
                          "DRIVER=hid-generic\nHID_ID=0003:0000046D:0000C52B\n"
                          "HID_NAME=Keys\nHID_ID=0003:00001209:00004B56\n"
                          "HID_PHYS=usb-0000:00:14.0-1/input0\n"
                          "HID_UNIQ=\nHID_PHYS=" + std::string(kPhys) + "\n");
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.Respond(ChipAnswer);

    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 1);
    EXPECT_EQ(GetSelectedDevNumber(), 0);
    char path[256];
    GetSelectedDevInfo(path);
    EXPECT_STREQ(path, kPhys);
    EXPECT_EQ(GetSclLineValue(), 0x01);
    for (const FakeHidraw::OpenCall& open : fake_.Opens()) {
        EXPECT_EQ(open.nodePath, fake_.NodePath("hidraw3"));  // the keyboard is never opened
    }
}

TEST_F(LibraryOverHidraw, ReportsWaitingBeforeARequestAreNotItsAnswer) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    // One waits on the node when it is opened, another comes between two
    // commands; both look like answers to the next status request.
    fake_.QueueOnEveryReadOpen(StatusResponse(0x77));
    fake_.Respond(ChipAnswer);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetSclLineValue(), 0x01);

    fake_.SendUnasked("hidraw3", StatusResponse(0x66));
    fake_.SendUnasked("hidraw3", GpioResponse());
    EXPECT_EQ(GetSclLineValue(), 0x01);
    EXPECT_EQ(ReadGpioPinValue(0), 1);
    EXPECT_EQ(GetSclLineValue(), 0x01);
}

TEST_F(LibraryOverHidraw, LateAnswerAfterTheRequestIsAWrongEchoAndLeavesNothingBehind) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    // The answer to the first GPIO request is preceded by a status answer
    // that comes late, after the GPIO request was written.
    std::atomic<bool> late{true};
    fake_.Respond([&late](const std::vector<unsigned char>& request) {
        Reports answer = ChipAnswer(request);
        if (request.size() == 65 && request[1] == 0x51 && late.exchange(false)) {
            answer.insert(answer.begin(), StatusResponse(0x66));
        }
        return answer;
    });
    ASSERT_EQ(GetConnectionStatus(), 1);

    EXPECT_EQ(ReadGpioPinValue(0), KELVANE_E_WRONG_ECHO);
    ASSERT_TRUE(fake_.WaitUntilAnswered(1));  // the GPIO answer is queued too
    // That GPIO answer is not taken for the next status request's.
    EXPECT_EQ(GetSclLineValue(), 0x01);
    EXPECT_EQ(ReadGpioPinValue(0), 1);
    EXPECT_EQ(GetConnectionStatus(), 1);  // the connection was kept throughout
}

// ---- Which nodes scans open, keep and close -------------------------------

constexpr char kOtherPhys[] = "usb-0000:00:14.0-3/input0";

TEST_F(LibraryOverHidraw, ScansKeepTheSelectedChipsNodesAndOpenAnotherChipOnlyWhenSelected) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.AddHidNode("hidraw5", kChipId, kOtherPhys);
    fake_.Respond(ChipAnswer);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(GetConnectionStatus(), 1);
    }
    ASSERT_EQ(fake_.Opens().size(), 2u);
    EXPECT_EQ(fake_.Opens()[0].nodePath, fake_.NodePath("hidraw3"));
    EXPECT_EQ(fake_.Opens()[1].nodePath, fake_.NodePath("hidraw3"));

    ASSERT_EQ(SelectDev(1), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(fake_.Opens().size(), 4u);
    EXPECT_EQ(fake_.Opens()[2].nodePath, fake_.NodePath("hidraw5"));
    EXPECT_EQ((fake_.Opens()[2].flags & O_ACCMODE), O_WRONLY);
    EXPECT_EQ((fake_.Opens()[3].flags & O_ACCMODE), O_RDONLY);
    EXPECT_EQ(GetSclLineValue(), 0x01);

    ASSERT_EQ(SelectDev(0), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetSclLineValue(), 0x01);
    EXPECT_EQ(fake_.Opens().size(), 4u);
    for (std::size_t open = 0; open < 4; ++open) {
        EXPECT_FALSE(fake_.LibraryClosed(open)) << open;
    }
    // Each request went through the write open of the chip selected then.
    EXPECT_EQ(fake_.RequestOpens(), (std::vector<std::size_t>{2, 0}));
}

TEST_F(LibraryOverHidraw, ChipReenumeratedUnderTheSameNodeIsReopenedByTheNextScan) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.Respond(ChipAnswer);
    ASSERT_EQ(GetConnectionStatus(), 1);
    // The same node and place, a new instance of the kernel's HID device
    // (0003:1209:4B56.0002); the old open files have not hung up yet.
    fake_.RemoveNode("hidraw3");
    fake_.AddHidNode("hidraw3", kChipId, kPhys);

    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(fake_.Opens().size(), 4u);
    EXPECT_TRUE(fake_.LibraryClosed(0));
    EXPECT_TRUE(fake_.LibraryClosed(1));
    EXPECT_EQ(GetSclLineValue(), 0x01);  // answered on the new read open
    EXPECT_EQ(fake_.RequestOpens(), std::vector<std::size_t>{2});
}

TEST_F(LibraryOverHidraw, ChipThatVanishedAndCameBackUnderANewNodeIsReopened) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.Respond(ChipAnswer);
    ASSERT_EQ(GetConnectionStatus(), 1);
    fake_.RemoveNode("hidraw3");
    fake_.HangUp(0);
    fake_.HangUp(1);
    EXPECT_EQ(GetConnectionStatus(), 0);
    EXPECT_EQ(GetDevCount(), 0);

    fake_.AddHidNode("hidraw7", kChipId, kPhys);
    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(fake_.Opens().size(), 4u);
    EXPECT_EQ(fake_.Opens()[2].nodePath, fake_.NodePath("hidraw7"));
    EXPECT_EQ(GetSclLineValue(), 0x01);
}

TEST_F(LibraryOverHidraw, NodeThatHungUpUnderAnUnchangedInstanceIsReopenedByTheNextScan) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.Respond(ChipAnswer);
    ASSERT_EQ(GetConnectionStatus(), 1);
    fake_.HangUp(1);  // the read open only

    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(fake_.Opens().size(), 4u);
    EXPECT_TRUE(fake_.LibraryClosed(0));  // both handles go together
    EXPECT_EQ(GetSclLineValue(), 0x01);
}

TEST_F(LibraryOverHidraw, FailedOpenShowsAtTheFirstTransferAndTheNextOneOpensAgain) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.Respond(ChipAnswer);
    fake_.FailOpens();
    EXPECT_EQ(GetConnectionStatus(), 1);  // not noticed by the scan
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);

    fake_.FailOpens(false);
    EXPECT_EQ(GetSclLineValue(), 0x01);
    EXPECT_EQ(fake_.Opens().size(), 2u);
}

// A chip whose write node opened and whose read node did not keeps the
// write handle: the next scan opens only what is missing.
TEST_F(LibraryOverHidraw, HalfOpenedChipIsCompletedByTheNextScan) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.Respond(ChipAnswer);
    fake_.FailReadOpens();
    EXPECT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(fake_.Opens().size(), 1u);
    EXPECT_EQ(fake_.Opens()[0].flags & O_ACCMODE, O_WRONLY);

    fake_.FailReadOpens(false);
    EXPECT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(fake_.Opens().size(), 2u);
    EXPECT_EQ(fake_.Opens()[1].flags & O_ACCMODE, O_RDONLY);
    EXPECT_EQ(GetSclLineValue(), 0x01);
    EXPECT_EQ(fake_.Opens().size(), 2u);
}

std::vector<std::string> What(const std::vector<FakeHidraw::Event>& events) {
    std::vector<std::string> what;
    for (const FakeHidraw::Event& event : events) {
        what.push_back(event.what);
    }
    return what;
}

TEST_F(LibraryOverHidraw, EveryCallTakesTheNodeLockBeforeItsRequestsAndLetsGoAfter) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.Respond(ChipAnswer);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetSclLineValue(), 0x01);
    EXPECT_EQ(ReadGpioPinValue(0), 1);
    EXPECT_EQ(GetConnectionStatus(), 1);  // a scan takes no lock
    const std::vector<FakeHidraw::Event> events = fake_.Events();
    EXPECT_EQ(What(events), (std::vector<std::string>{"lock", "request", "unlock", "lock", "request", "unlock"}));
    for (const FakeHidraw::Event& event : events) {
        EXPECT_EQ(event.open, 0u) << "taken through the write descriptor";
    }
}

TEST_F(LibraryOverHidraw, ANodeHeldByAnotherProcessIsWaitedForThenRefusedWithNothingSent) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.Respond(ChipAnswer);
    ASSERT_EQ(GetConnectionStatus(), 1);
    core::SetChipWaitLimitMs(200);
    const int holder = fake_.HoldElsewhere("hidraw3");

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_CHIP_BUSY);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(199));  // kept on a clock of whole milliseconds
    EXPECT_LT(waited, std::chrono::milliseconds(1500));
    EXPECT_TRUE(fake_.Requests().empty());

    // Let go while the next call waits: it is served.
    core::SetChipWaitLimitMs(5000);
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        FakeHidraw::LetGo(holder);
    });
    EXPECT_EQ(GetSclLineValue(), 0x01);
    release.join();
    EXPECT_EQ(fake_.Requests().size(), 1u);
    core::SetChipWaitLimitMs(core::kChipWaitLimitMs);
}

}  // namespace
}  // namespace kelvane::testing
