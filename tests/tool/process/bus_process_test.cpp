// detect, get, set, dump and transfer against virtual slaves: i2c-tools'
// layouts to the character, the probe of each address range, modes, masks
// and read-back, and the transfers the chip can and cannot make.
#include "tool/process/tool_process_test.h"

namespace kelvane::testing {
namespace {

constexpr char kDefaultGrid[] =
    "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n"
    "00:                         -- -- -- 0b -- -- -- -- \n"
    "10: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "20: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "30: -- -- -- -- -- -- -- -- -- -- -- -- 3c -- -- -- \n"
    "40: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "50: 50 -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "60: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "70: -- -- -- -- -- -- -- --                         \n";

// i2cdump of a 256-byte EEPROM holding byte i = i.
constexpr char kIndexDump[] =
    "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n"
    "00: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f    .???????????????\n"
    "10: 10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f    ????????????????\n"
    "20: 20 21 22 23 24 25 26 27 28 29 2a 2b 2c 2d 2e 2f     !\"#$%&'()*+,-./\n"
    "30: 30 31 32 33 34 35 36 37 38 39 3a 3b 3c 3d 3e 3f    0123456789:;<=>?\n"
    "40: 40 41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f    @ABCDEFGHIJKLMNO\n"
    "50: 50 51 52 53 54 55 56 57 58 59 5a 5b 5c 5d 5e 5f    PQRSTUVWXYZ[\\]^_\n"
    "60: 60 61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f    `abcdefghijklmno\n"
    "70: 70 71 72 73 74 75 76 77 78 79 7a 7b 7c 7d 7e 7f    pqrstuvwxyz{|}~?\n"
    "80: 80 81 82 83 84 85 86 87 88 89 8a 8b 8c 8d 8e 8f    ????????????????\n"
    "90: 90 91 92 93 94 95 96 97 98 99 9a 9b 9c 9d 9e 9f    ????????????????\n"
    "a0: a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af    ????????????????\n"
    "b0: b0 b1 b2 b3 b4 b5 b6 b7 b8 b9 ba bb bc bd be bf    ????????????????\n"
    "c0: c0 c1 c2 c3 c4 c5 c6 c7 c8 c9 ca cb cc cd ce cf    ????????????????\n"
    "d0: d0 d1 d2 d3 d4 d5 d6 d7 d8 d9 da db dc dd de df    ????????????????\n"
    "e0: e0 e1 e2 e3 e4 e5 e6 e7 e8 e9 ea eb ec ed ee ef    ????????????????\n"
    "f0: f0 f1 f2 f3 f4 f5 f6 f7 f8 f9 fa fb fc fd fe ff    ???????????????.\n";

std::vector<unsigned> FoundAddresses(const nlohmann::json& document) {
    std::vector<unsigned> found;
    for (const nlohmann::json& entry : document["found"]) {
        found.push_back(entry["address"].get<unsigned>());
    }
    return found;
}

class BusProcessTest : public ToolProcessTest {
protected:
    void SetUp() override {
        ToolProcessTest::SetUp();
        WriteBench(kToolBench);
    }
};

// The write-only display at 0x3c answers a write probe and no read probe;
// the EEPROM at 0x50 is probed with a read, and a write-only device at 0x52,
// in the read range, is therefore not seen without -q.
TEST_F(BusProcessTest, DetectPrintsTheGridWithTheProbeOfEachRange) {
    const ProgramRun run = Run({"detect"});
    EXPECT_RUN(run, kDefaultGrid, kSuccess);

    WriteBench(std::string(kToolBench) + "  display addr7=52\n");
    const nlohmann::json automatic = RunJson({"detect"});
    EXPECT_EQ(FoundAddresses(automatic), (std::vector<unsigned>{0x0B, 0x3C, 0x50}));
    EXPECT_EQ(automatic["found"][1]["probe"], "write");
    EXPECT_EQ(automatic["found"][2]["probe"], "read");
    EXPECT_EQ(FoundAddresses(RunJson({"detect", "-q"})), (std::vector<unsigned>{0x0B, 0x3C, 0x50, 0x52}));
    EXPECT_EQ(FoundAddresses(RunJson({"detect", "-r"})), (std::vector<unsigned>{0x0B, 0x50}));

    const nlohmann::json range = RunJson({"detect", "-y", "0x3c", "0x50"});
    EXPECT_EQ(range["first"], 0x3C);
    EXPECT_EQ(range["last"], 0x50);
    EXPECT_EQ(FoundAddresses(range), (std::vector<unsigned>{0x3C, 0x50}));
    const ProgramRun all = Run({"detect", "-a"});
    EXPECT_NE(all.out.find("\n00: -- -- -- -- -- -- -- -- -- -- -- 0b -- -- -- -- \n"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("\n70: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"), std::string::npos) << all.out;

    ExpectFailure(Run({"detect", "-q", "-r"}), kUsage, "-q and -r");
    ExpectFailure(Run({"detect", "0x50"}), kUsage, "FIRST and LAST");
    ExpectFailure(Run({"detect", "0x50", "0x40"}), kUsage, "below FIRST");
    EXPECT_EQ(Run({"detect", "0x50", "0x40"}).out, "");
}

TEST_F(BusProcessTest, DumpUsesI2cdumpsLayouts) {
    EXPECT_RUN(Run({"dump", "0x50"}), kIndexDump, kSuccess);
    EXPECT_RUN(Run({"dump", "0x50", "i"}), kIndexDump, kSuccess);
    // Registers outside the range are blanks: three or five columns each,
    // and one in the character column.
    const auto blank = [](int cells, int width) { return std::string(static_cast<std::size_t>(cells * width), ' '); };
    EXPECT_RUN(Run({"dump", "-r", "0x0e-0x21", "0x50"}),
               "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n"
               "00: " +
                   blank(14, 3) + "0e 0f    " + blank(14, 1) +
                   "??\n"
                   "10: 10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f    ????????????????\n"
                   "20: 20 21 " +
                   blank(14, 3) + "    !" + blank(14, 1) + "\n",
               kSuccess);
    EXPECT_RUN(Run({"dump", "-r", "0x06-0x0a", "0x50", "w"}),
               "     0,8  1,9  2,a  3,b  4,c  5,d  6,e  7,f\n"
               "00: " +
                   blank(6, 5) +
                   "0706 0807 \n"
                   "08: 0908 0a09 0b0a " +
                   blank(5, 5) + "\n",
               kSuccess);
    const nlohmann::json dump = RunJson({"dump", "-r", "0x10-0x13", "0x50"});
    EXPECT_EQ(dump["values"], (nlohmann::json{16, 17, 18, 19}));

    // An absent slave: the register phase of each read ends without the
    // slave (the library's -11).
    ExpectFailure(Run({"dump", "-r", "0-3", "0x51"}), kFailed, "dump: no register could be read at 0x51");
    ExpectFailure(Run({"dump", "-r", "0-3", "0x50", "s"}), kUsage, "not available with mode s");
    ExpectFailure(Run({"dump", "0x50", "x"}), kUsage, "MODE");
    ExpectFailure(Run({"dump", "0x78"}), kUsage, "0x08 to 0x77");
}

// Register reads of each mode, checked packet error codes where the virtual
// SMBus device appends them (after its block of `block` bytes).
TEST_F(BusProcessTest, GetReadsEachMode) {
    EXPECT_RUN(Run({"get", "0x50", "0x10"}), "0x10\n", kSuccess);
    EXPECT_RUN(Run({"get", "0x50", "0x10", "w"}), "0x1110\n", kSuccess);
    EXPECT_RUN(Run({"get", "0x50", "0x10", "i", "4"}), "0x10 0x11 0x12 0x13\n", kSuccess);
    // The EEPROM's pointer is left after the last read: a read without a
    // register continues from there.
    EXPECT_RUN(Run({"get", "0x50"}), "0x14\n", kSuccess);

    WriteBench(
        "chip\n  smbus addr7=0b block=1 pec=on data=5a,a5\n  smbus addr7=0c block=2 pec=on data=34,12\n"
        "  smbus addr7=0d block=4 pec=on data=00,03,c1,c2,c3\n");
    EXPECT_RUN(Run({"get", "0x0b", "0", "bp"}), "0x5a\n", kSuccess);
    EXPECT_RUN(Run({"get", "0x0c", "0", "wp"}), "0x1234\n", kSuccess);
    // The block of register 1: its count byte, then the data, then the PEC.
    EXPECT_RUN(Run({"get", "0x0d", "1", "sp"}), "0xc1 0xc2 0xc3\n", kSuccess);
    const nlohmann::json block = RunJson({"get", "0x0d", "1", "s"});
    EXPECT_EQ(block["data"], (nlohmann::json{0xC1, 0xC2, 0xC3}));
    EXPECT_EQ(block["mode"], "s");
    // A word read where the device sends its PEC after one byte.
    ExpectFailure(Run({"get", "0x0b", "0", "wp"}), kFailed, "Wrong PEC (SMBus only) (-12)");
    ExpectFailure(Run({"get", "0x0d", "0", "s"}), kFailed, "count byte is 0x00");
    ExpectFailure(Run({"get", "0x0e", "0"}), kFailed, "SMBus slave data NACK received (-11)");
    ExpectFailure(Run({"get", "0x0e"}), kFailed, "Address NACK received (-23)");
    ExpectFailure(Run({"get", "0x0d", "0", "ip"}), kUsage, "PEC is not supported");
    ExpectFailure(Run({"get", "0x0d", "0", "b", "4"}), kUsage, "LENGTH goes with mode i");
    ExpectFailure(Run({"get", "0x0d", "0x100"}), kUsage, "REG must be a number from 0x00 to 0xff");
}

TEST_F(BusProcessTest, SetWritesWithMaskAndReadBack) {
    EXPECT_RUN(Run({"set", "-r", "0x50", "0x20", "0xa5"}), "Value 0xa5 written, readback matched\n", kSuccess);
    EXPECT_RUN(Run({"set", "-y", "-m", "0x0f", "-r", "0x50", "0x20", "0x3c"}), "Value 0xac written, readback matched\n",
               kSuccess);
    EXPECT_RUN(Run({"set", "0x50", "0x30", "0xbeef", "w"}), "", kSuccess);
    EXPECT_RUN(Run({"get", "0x50", "0x30", "w"}), "0xbeef\n", kSuccess);
    EXPECT_RUN(Run({"set", "-r", "0x50", "0x40", "1", "2", "3", "i"}),
               "Values 0x01 0x02 0x03 written, readback matched\n", kSuccess);
    const nlohmann::json masked = RunJson({"set", "-m", "0xf0", "-r", "0x50", "0x40", "0x55"});
    EXPECT_EQ(masked["old"], 1);
    EXPECT_EQ(masked["written"], (nlohmann::json{0x51}));
    EXPECT_EQ(masked["matched"], true);
    // The SMBus device at 0x0b takes writes with a packet error code only:
    // the write with one is read back, the one without is dropped.
    ExpectFailure(Run({"set", "-r", "0x0b", "0x10", "0x77", "bp"}), kFailed,
                  "set: read back of register 0x10 at 0x0b: Wrong PEC (SMBus only) (-12)");
    EXPECT_RUN(Run({"get", "0x0b", "0x10", "i", "1"}), "0x77\n", kSuccess);
    ExpectFailure(Run({"set", "-r", "0x0b", "0x10", "0x66"}), kFailed, "wrote 0x66, read back 0x77");
    // An SMBus block with its count and PEC, read back as a block (the count
    // byte first, then count, block and PEC in one read).
    EXPECT_RUN(Run({"set", "-r", "0x0b", "0x20", "1", "2", "3", "sp"}),
               "Values 0x01 0x02 0x03 written, readback matched\n", kSuccess);
    EXPECT_RUN(Run({"get", "0x0b", "0x20", "i", "4"}), "0x03 0x01 0x02 0x03\n", kSuccess);
    // Write-protected data bytes are not acknowledged.
    WriteBench("chip\n  eeprom addr7=50 wp=on\n");
    ExpectFailure(Run({"set", "0x50", "0", "1"}), kFailed, "set: write of register 0x00 at 0x50");

    ExpectFailure(Run({"set", "0x50", "0", "0x100"}), kUsage, "VALUE must be a number from 0x00 to 0xff");
    ExpectFailure(Run({"set", "0x50", "0", "1", "2"}), kUsage, "mode b takes one VALUE");
    ExpectFailure(Run({"set", "-m", "1", "0x50", "0", "1", "2", "s"}), kUsage, "-m is not supported");
    ExpectFailure(Run({"set", "-r", "0x50", "0"}), kUsage, "VALUE is needed");
}

// One write, one read, or the register write and its read run; other
// sequences only with --allow-stop, message by message.
TEST_F(BusProcessTest, TransferRunsWhatTheChipCanAndRefusesTheRest) {
    EXPECT_RUN(Run({"transfer", "w5@0x50", "0x60", "0xf0="}), "", kSuccess);
    EXPECT_RUN(Run({"transfer", "w1@0x50", "0x60", "r4"}), "0xf0 0xf0 0xf0 0xf0\n", kSuccess);
    EXPECT_RUN(Run({"transfer", "w6@0x50", "0x60", "0xfe+"}), "", kSuccess);
    EXPECT_RUN(Run({"transfer", "w1@0x50", "0x60", "r5"}), "0xfe 0xff 0x00 0x01 0x02\n", kSuccess);
    EXPECT_RUN(Run({"transfer", "w4@0x50", "0x60", "0x01-"}), "", kSuccess);
    EXPECT_RUN(Run({"transfer", "w1@0x50", "0x60", "r3@0x50"}), "0x01 0x00 0xff\n", kSuccess);

    const std::vector<std::string> twoReads{"transfer", "w1@0x50", "0x00", "r2", "r1@0x0b"};
    const ProgramRun refused = Run(twoReads);
    ExpectFailure(refused, kUsage, "--allow-stop");
    EXPECT_EQ(refused.out, "");
    std::vector<std::string> allowed = twoReads;
    allowed.insert(allowed.begin() + 1, "--allow-stop");
    EXPECT_RUN(Run(allowed), "0x00 0x01\n0x00\n", kSuccess);
    const nlohmann::json messages = RunJson(allowed);
    ASSERT_EQ(messages["messages"].size(), 3u);
    EXPECT_EQ(messages["messages"][0]["direction"], "write");
    EXPECT_EQ(messages["messages"][2]["address"], 0x0B);
    EXPECT_EQ(messages["messages"][2]["data"], (nlohmann::json{0x00}));
    ExpectFailure(Run({"transfer", "--allow-stop", "r1@0x50", "r1@0x51"}), kFailed,
                  "message 2 (read of 1 bytes at 0x51): Address NACK received (-23)");

    ExpectFailure(Run({"transfer", "w2@0x50", "0x00", "0x01", "w1", "0x02"}), kUsage, "--allow-stop");
    ExpectFailure(Run({"transfer", "r2"}), kUsage, "no address given");
    ExpectFailure(Run({"transfer", "w3@0x50", "1", "2"}), kUsage, "needs 3 data bytes, 2 given");
    ExpectFailure(Run({"transfer", "r0@0x50"}), kUsage, "length of r0@0x50");
    ExpectFailure(Run({"transfer", "w2@0x50", "1p"}), kUsage, "p suffix");
    ExpectFailure(Run({"transfer", "x2@0x50"}), kUsage, "no descriptor");
}

// A chip that stops answering ends a scan or a dump at once, naming the
// probe or register; a slave's silence, by contrast, is a grid cell.
TEST_F(BusProcessTest, AChipThatStopsAnsweringEndsTheRun) {
    WriteBench("state=\nchip\n  eeprom addr7=50\n  fault kind=no-answer skip=30\n");
    const ProgramRun detect = Run({"detect"});
    ExpectFailure(detect, kFailed, "detect: write probe at 0x11: Kelvane read failed (-5)");
    EXPECT_EQ(detect.out, "");
    const ProgramRun dump = Run({"--json", "dump", "0x50"});
    ExpectFailure(dump, kFailed, "dump: read of register 0x05 at 0x50: Kelvane read failed (-5)");
    const nlohmann::json document = nlohmann::json::parse(dump.out, nullptr, false);
    EXPECT_EQ(document["error"]["code"], -5);
    EXPECT_FALSE(document.contains("values"));
}

}  // namespace
}  // namespace kelvane::testing
