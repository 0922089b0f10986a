// The plug file of a virtual bench: chips unplugged and plugged in again, on
// other ports too, while the library runs, as the library sees them; the
// session reads the plug file that its bench file names.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/plug_file.h"
#include "bench/virtual_bench_session.h"
#include "kelvane.h"
#include "platform/platform.h"
#include "support/chip_strings.h"
#include "support/temporary_directory.h"

namespace kelvane::testing {
namespace {

using sim::Bench;

TEST(PlugFile, HoldsOneLinePerChipThatIsNotInItsPort) {
    const std::optional<sim::PlugWiring> wiring = sim::ParsePlugFile("# moved\n1 5\n\n 2\t-   # unplugged\r\n");
    ASSERT_TRUE(wiring.has_value());
    EXPECT_EQ(*wiring, (sim::PlugWiring{{"1", "5"}, {"2", std::nullopt}}));
    EXPECT_TRUE(sim::ParsePlugFile("")->empty());
    for (const char* bad : {"1\n", "1 2 3\n", "1 5\n1 6\n", "1 hub/5\n", "- 1\n", "1 12345678901234567\n"}) {
        EXPECT_FALSE(sim::ParsePlugFile(bad).has_value()) << bad;
    }
}

// Two chips with serial numbers A and B in ports 1 and 2, a third port with
// another HID device, and the library over them.
class PlugFileSession : public ::testing::Test {
protected:
    PlugFileSession() : folder_(MakeTemporaryDirectory("kelvane-plug")) {
        const std::string bench = (folder_ / "bench.txt").string();
        std::ofstream(bench) << "state=\nplug=" << PlugFile() << "\nchip serial=A\nchip serial=B\n"
                             << "foreign id=HID\\VID_046D&PID_C52B\n";
        session_.emplace(bench.c_str());
        platform::SetActivePlatform(&session_->Platform());
        DllInit();
    }

    ~PlugFileSession() override {
        DllInit();
        platform::SetActivePlatform(nullptr);
        session_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string PlugFile() const { return (folder_ / "plugs.txt").string(); }
    // Written as bytes: the size tests count them, and the file takes LF or CR LF.
    void Plug(const std::string& text) const { std::ofstream(PlugFile(), std::ios::binary | std::ios::trunc) << text; }

    // Path and serial number of every chip of a fresh scan, in table order.
    std::vector<std::string> Chips() {
        std::vector<std::string> chips;
        GetConnectionStatus();
        const int count = GetDevCount();
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(SelectDev(static_cast<unsigned>(i)), 0);
            EXPECT_EQ(GetConnectionStatus(), 1);
            char path[256] = {};
            GetSelectedDevInfo(path);
            KelvaneChar serial[64] = {};
            EXPECT_EQ(GetSerialNumber(serial), 0);
            const std::u16string text = TextOf(serial);
            chips.push_back(std::string(path) + " " + std::string(text.begin(), text.end()));
        }
        return chips;
    }

    static std::string At(const char* port, const char* serial) { return Bench::PathOf(port) + " " + serial; }

private:
    std::filesystem::path folder_;
    std::optional<sim::VirtualBenchSession> session_;
};

TEST_F(PlugFileSession, AChipMovesToAnotherPortAndTheTableFollows) {
    EXPECT_EQ(Chips(), (std::vector{At("1", "A"), At("2", "B")}));
    Plug("1 5\n");  // a port the bench did not have comes last
    EXPECT_EQ(Chips(), (std::vector{At("2", "B"), At("5", "A")}));
    Plug("1 1\n");
    EXPECT_EQ(Chips(), (std::vector{At("1", "A"), At("2", "B")}));
    Plug("1 2\n2 1\n");  // swapped
    EXPECT_EQ(Chips(), (std::vector{At("1", "B"), At("2", "A")}));
    std::filesystem::remove(PlugFile());  // no file: every chip in its own port
    EXPECT_EQ(Chips(), (std::vector{At("1", "A"), At("2", "B")}));
}

TEST_F(PlugFileSession, AnUnpluggedChipIsGoneUntilItIsPluggedInAgain) {
    ASSERT_EQ(GetConnectionStatus(), 1);  // chip A, index 0
    ASSERT_EQ(SetDacValue(5), 0);         // a runtime setting, lost when the power goes
    Plug("1 -\n");
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);  // its handles see a gone device
    EXPECT_EQ(GetConnectionStatus(), 0);            // chip B sits at index 0 now
    EXPECT_EQ(GetDevCount(), 1);
    Plug("1 7\n");
    EXPECT_EQ(GetConnectionStatus(), 0);  // back, but at another path
    EXPECT_EQ(Chips(), (std::vector{At("2", "B"), At("7", "A")}));
    EXPECT_EQ(GetDacValue(), 0);  // chip A (selected last) has powered up: runtime settings from flash
    Plug("2 -\n");  // A home again, B gone: its port is free for A's move below
    EXPECT_EQ(Chips(), (std::vector{At("1", "A")}));
    Plug("2 -\n1 2\n");
    EXPECT_EQ(Chips(), (std::vector{At("2", "A")}));
}

TEST_F(PlugFileSession, AWiringThatCannotBeChangesNothing) {
    Plug("1 5\n");
    const std::vector<std::string> moved{At("2", "B"), At("5", "A")};
    ASSERT_EQ(Chips(), moved);
    // B is there, the other HID device is there, not a chip, no such port, a malformed line.
    for (const char* impossible : {"1 2\n", "1 3\n", "3 9\n", "4 9\n", "1 5 extra\n"}) {
        Plug(impossible);
        EXPECT_EQ(Chips(), moved) << impossible;
    }
}

// Only a regular file of at most 64 KiB is read; anything else is malformed
// and changes nothing, where no file at all would bring every chip home.
TEST_F(PlugFileSession, APlugFileThatIsNoSmallRegularFileChangesNothing) {
    Plug("1 5\n");
    const std::vector<std::string> moved{At("2", "B"), At("5", "A")};
    ASSERT_EQ(Chips(), moved);
    const std::string comment = "#" + std::string(1022, '.') + "\n";
    std::string home;
    for (int i = 0; i < 63; ++i) {
        home += comment;
    }
    home += "1 1\n";
    Plug(home + std::string(64 * 1024 - home.size(), '\n'));  // just fits
    EXPECT_EQ(Chips(), (std::vector{At("1", "A"), At("2", "B")}));
    Plug("1 5\n");
    ASSERT_EQ(Chips(), moved);
    Plug(home + std::string(64 * 1024 - home.size() + 1, '\n'));  // one byte too many
    EXPECT_EQ(Chips(), moved);
    std::filesystem::remove(PlugFile());
    std::filesystem::create_directory(PlugFile());
    EXPECT_EQ(Chips(), moved);
    std::filesystem::remove(PlugFile());
#ifndef _WIN32
    ASSERT_EQ(mkfifo(PlugFile().c_str(), 0600), 0);  // no writer: opening it would block
    EXPECT_EQ(Chips(), moved);
    std::filesystem::remove(PlugFile());
#endif
    EXPECT_EQ(Chips(), (std::vector{At("1", "A"), At("2", "B")}));
}

}  // namespace
}  // namespace kelvane::testing
