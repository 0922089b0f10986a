// The library's exports over the hidraw backend: discovery through the
// class directory, a status exchange through the nodes, and the reconnection
// of a chip that comes back under a new node number after a reset.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <csignal>
#include <vector>

#include "hidraw/fake_hidraw.h"
#include "kelvane.h"
#include "platform/hidraw/hidraw_platform.h"

namespace kelvane::testing {
namespace {

constexpr char kChipId[] = "0003:00001209:00004B56";
constexpr char kPhys[] = "usb-0000:00:14.0-2/input0";

// A status response, as hidraw hands it over: 64 bytes, no report number.
std::vector<unsigned char> StatusResponse(unsigned char scl) {
    std::vector<unsigned char> report(64, 0);
    report[0] = 0x10;
    report[22] = scl;
    return report;
}

std::vector<unsigned char> Receive(int fd) {
    std::vector<unsigned char> buffer(128);
    const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
    buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return buffer;
}

class LibraryOverHidraw : public ::testing::Test {
protected:
    LibraryOverHidraw() {
        std::signal(SIGPIPE, SIG_IGN);
        platform::SetActivePlatform(&platform_);
        DllInit();
    }
    ~LibraryOverHidraw() override {
        DllInit();
        platform::SetActivePlatform(nullptr);
    }

    FakeHidraw fake_;
    platform::HidrawPlatform platform_{fake_.ClassDir(), fake_.DevDir(), fake_.Opener()};
};

TEST_F(LibraryOverHidraw, FindsTheChipAndExchangesFramedReports) {
    fake_.AddHidNode("hidraw0", "0003:0000046D:0000C52B", "usb-0000:00:14.0-1/input0");
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    fake_.AnswerEveryReadOpenWith(StatusResponse(0x01));
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 1);
    char path[256];
    GetSelectedDevInfo(path);
    EXPECT_STREQ(path, kPhys);

    ASSERT_EQ(fake_.Opens().size(), 2u);  // write, then read
    EXPECT_EQ(GetSclLineValue(), 0x01);
    const std::vector<unsigned char> request = Receive(fake_.Opens()[0].device);
    ASSERT_EQ(request.size(), 65u);
    EXPECT_EQ(request[0], 0x00);  // report number
    EXPECT_EQ(request[1], 0x10);  // command
}

TEST_F(LibraryOverHidraw, ChipBackUnderANewNodeIsReconnectedByTheNextExchanges) {
    fake_.AddHidNode("hidraw3", kChipId, kPhys);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(ResetDevice(), 0);

    // The chip re-enumerates while the library still holds its old node: the
    // kernel gives it a new number, the old node hangs up.
    fake_.RemoveNode("hidraw3");
    fake_.AddHidNode("hidraw4", kChipId, kPhys);
    fake_.HangUp(0);
    fake_.HangUp(1);
    fake_.AnswerEveryReadOpenWith(StatusResponse(0x01));

    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);  // the old node has gone
    EXPECT_EQ(GetSclLineValue(), 0x01);                    // scanned, reopened, answered
    EXPECT_EQ(fake_.Opens().back().nodePath, fake_.NodePath("hidraw4"));
    EXPECT_EQ(GetSelectedDevNumber(), 0);
}

}  // namespace
}  // namespace kelvane::testing
