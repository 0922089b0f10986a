// The virtual-chip flavour's bench file and state file: what a bench file
// describes, which files it refuses, and the chips' state across sessions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_file.h"
#include "bench/chip_state_file.h"
#include "bench/virtual_bench_session.h"
#include "slaves/eeprom_slave.h"
#include "slaves/smbus_device.h"
#include "support/temporary_directory.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::sim;

constexpr char kFullBench[] =
    "# two chips and a keyboard\n"
    "state = chips.state   # kept here\n"
    "chip vid=0x1209 pid=4B56 serial=KV000001\n"
    "  eeprom addr7=50 size=512 fill=a5 data=1,02,0x3 wp=on\n"
    "\tsmbus addr7=0b registers=16 block=8 pec=on pattern=index\n"
    "  gp pin=2 designation=3 direction=out value=1 level=1\n"
    "  fault kind=refuse command=90 skip=2 times=forever value=41\n"
    "  fault kind=set-byte index=5 value=ff\n"
    "  fault kind=stray command=b0\n"
    "  fault kind=late-answer times=2\n"
    "  engine state=25 hung=on extra-read=3\n"
    "foreign id=HID\\VID_046D&PID_C52B\n"
    "chip vid=1234 pid=5678\n";

TEST(BenchFile, DescribesChipsDevicesPinsAndFaults) {
    const std::optional<BenchDescription> bench = ParseBenchFile(kFullBench);
    ASSERT_TRUE(bench.has_value());
    EXPECT_EQ(bench->stateFile, "chips.state");
    ASSERT_EQ(bench->ports.size(), 3u);

    const ChipDescription& chip = *bench->ports[0].chip;
    EXPECT_EQ(chip.vendorId, 0x1209);
    EXPECT_EQ(chip.productId, 0x4B56);
    EXPECT_EQ(chip.serialNumber, u"KV000001");
    ASSERT_EQ(chip.eeproms.size(), 1u);
    EXPECT_EQ(chip.eeproms[0].address7, 0x50);
    EXPECT_EQ(chip.eeproms[0].size, 512u);
    EXPECT_EQ(chip.eeproms[0].contents.fill, 0xA5);
    EXPECT_EQ(chip.eeproms[0].contents.data, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(chip.eeproms[0].writeProtected);
    ASSERT_EQ(chip.smbusDevices.size(), 1u);
    EXPECT_EQ(chip.smbusDevices[0].registers, 16u);
    EXPECT_EQ(chip.smbusDevices[0].blockLength, 8u);
    EXPECT_TRUE(chip.smbusDevices[0].pecRequired);
    EXPECT_TRUE(chip.smbusDevices[0].contents.indexPattern);
    ASSERT_EQ(chip.pins.size(), 1u);
    EXPECT_EQ(chip.pins[0].pin, 2u);
    EXPECT_EQ(chip.pins[0].config, (GpPin{3, kDirectionOutput, 1}));
    EXPECT_EQ(chip.pins[0].inputLevel, 1);
    ASSERT_EQ(chip.faults.size(), 4u);
    EXPECT_EQ(chip.faults[0].kind, FaultKind::kRefuse);
    EXPECT_EQ(chip.faults[0].command, 0x90);
    EXPECT_EQ(chip.faults[0].skip, 2);
    EXPECT_EQ(chip.faults[0].times, kForever);
    EXPECT_EQ(chip.faults[0].value, 0x41);
    EXPECT_EQ(chip.faults[1].command, kAnyCommand);
    EXPECT_EQ(chip.faults[1].times, 1);
    EXPECT_EQ(chip.faults[1].index, 5u);
    EXPECT_EQ(chip.faults[2].kind, FaultKind::kStray);
    EXPECT_EQ(chip.faults[2].command, 0xB0);
    EXPECT_EQ(chip.faults[3].kind, FaultKind::kLateAnswer);
    EXPECT_EQ(chip.faults[3].times, 2);
    EXPECT_EQ(chip.forcedEngineState, 0x25);
    EXPECT_TRUE(chip.busHung);
    EXPECT_EQ(chip.extraReadBytes, 3u);

    EXPECT_FALSE(bench->ports[1].chip.has_value());
    EXPECT_EQ(bench->ports[1].foreignHardwareId, "HID\\VID_046D&PID_C52B");
    EXPECT_EQ(bench->ports[2].chip->productId, 0x5678);
    EXPECT_TRUE(bench->ports[2].chip->serialNumber.empty());
}

TEST(BenchFile, EmptyTextIsABenchWithoutDevicesAndTheDefaultStateFile) {
    const std::optional<BenchDescription> bench = ParseBenchFile("\n  # nothing\n\n");
    ASSERT_TRUE(bench.has_value());
    EXPECT_TRUE(bench->ports.empty());
    EXPECT_EQ(bench->stateFile, kDefaultStateFile);
    EXPECT_EQ(ParseBenchFile("state=\n")->stateFile, "");
}

TEST(BenchFile, MalformedLinesRefuseTheWholeFile) {
    for (const char* text : {
             "eeprom addr7=50\n",                         // before any chip
             "chip vid=12345\n",                          // above 16 bits
             "chip vid=12 bogus=1\n",                     // unknown key
             "chip serial=\n",                            // empty serial number
             "chip serial=0123456789012345678901234567890\n",  // 31 characters
             "chip\n  eeprom size=16\n",                  // no address
             "chip\n  eeprom addr7=80\n",                 // not 7 bits
             "chip\n  eeprom addr7=50 size=0\n",
             "chip\n  eeprom addr7=50 size=2 data=1,2,3\n",  // more data than memory
             "chip\n  eeprom addr7=50 data=1,,2\n",
             "chip\n  eeprom addr7=50\n  smbus addr7=50\n",  // one address, two devices
             "chip\n  smbus addr7=0b registers=257\n",
             "chip\n  smbus addr7=0b pec=yes\n",
             "chip\n  gp designation=1\n",                // no pin
             "chip\n  gp pin=4\n",
             "chip\n  gp pin=0 direction=up\n",
             "chip\n  fault command=90\n",                // no kind
             "chip\n  fault kind=explode\n",
             "chip\n  fault kind=status times=-1\n",
             "chip\n  engine state=100\n",
             "chip\n  wobble\n",
             "foreign\n",
             "chip\nfoo=bar\n",
         }) {
        EXPECT_FALSE(ParseBenchFile(text).has_value()) << text;
    }
    std::string tooMany;
    for (int i = 0; i < 65; ++i) {
        tooMany += "chip\n";
    }
    EXPECT_FALSE(ParseBenchFile(tooMany).has_value());
    EXPECT_TRUE(ParseBenchFile(tooMany.substr(5)).has_value());
}

TEST(BenchFile, BuildsTheDescribedBench) {
    Bench bench;
    BuildBench(*ParseBenchFile(kFullBench), bench);
    ASSERT_EQ(bench.Ports().size(), 3u);
    Chip* chip = bench.ChipAt("1");
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->Config().flash.serialNumber, u"KV000001");
    auto* eeprom = dynamic_cast<EepromSlave*>(chip->Engine().Bus().Addressed(0xA0));
    ASSERT_NE(eeprom, nullptr);
    EXPECT_EQ(eeprom->Memory().size(), 512u);
    EXPECT_EQ(eeprom->Memory()[2], 0x03);
    EXPECT_EQ(eeprom->Memory()[3], 0xA5);
    auto* smbus = dynamic_cast<SmbusDevice*>(chip->Engine().Bus().Addressed(0x16));
    ASSERT_NE(smbus, nullptr);
    EXPECT_EQ(smbus->Registers()[15], 15);
    // The pins as the chip powered up with them, in flash and at run time.
    EXPECT_EQ(chip->Config().flash.gpPins[2], (GpPin{3, kDirectionOutput, 1}));
    EXPECT_EQ(chip->Config().runtime.pins[2], (GpPin{3, kDirectionOutput, 1}));
    EXPECT_EQ(chip->Config().runtime.inputLevels[2], 1);
    EXPECT_EQ(chip->Engine().State(0), 0x25);
    EXPECT_FALSE(chip->Faults().Empty());
    EXPECT_TRUE(bench.Ports()[1].foreignHardwareId.has_value());
    EXPECT_EQ(bench.ChipAt("3")->VendorId(), 0x1234);
}

// A bench of the default description with its state changed the way the
// program's commands change it.
struct UsedBench {
    BenchDescription description = DefaultBenchDescription();
    Bench bench;

    UsedBench() { BuildBench(description, bench); }

    Chip& TheChip() { return *bench.ChipAt("1"); }
    EepromSlave& Eeprom() { return *dynamic_cast<EepromSlave*>(TheChip().Engine().Bus().Addressed(0xA0)); }
    SmbusDevice& Smbus() { return *dynamic_cast<SmbusDevice*>(TheChip().Engine().Bus().Addressed(0x16)); }

    void Use() {
        Eeprom().Memory()[7] = 0x77;
        Eeprom().SetPointer(0x42);
        Smbus().Registers()[3] = 0x33;
        ChipConfiguration& config = TheChip().Config();
        config.flash.serialNumber = u"NEW\u00e9";
        config.flash.password = {1, 2, 3, 4, 5, 6, 7, 8};
        config.flash.settings.protection = kPasswordProtected;
        config.runtime.pins[1] = GpPin{0, kDirectionOutput, 1};
        config.runtime.settings.dacValue = 17;
        config.runtime.accessGranted = true;
    }
};

TEST(ChipStateFile, KeepsWhatTheChipsKeepWhilePowered) {
    UsedBench used;
    used.Use();
    const std::string text = ChipStateText(used.bench, used.description);

    UsedBench fresh;
    fresh.TheChip().Config().runtime.inputLevels[0] = 1;
    ASSERT_TRUE(ApplyChipStateText(text, fresh.bench, fresh.description));
    EXPECT_EQ(fresh.Eeprom().Memory(), used.Eeprom().Memory());
    EXPECT_EQ(fresh.Eeprom().Pointer(), 0x42u);
    EXPECT_EQ(fresh.Smbus().Registers(), used.Smbus().Registers());
    const ChipConfiguration& config = fresh.TheChip().Config();
    EXPECT_EQ(config.flash.serialNumber, u"NEW\u00e9");
    EXPECT_EQ(config.flash.password, used.TheChip().Config().flash.password);
    EXPECT_EQ(config.flash.settings, used.TheChip().Config().flash.settings);
    EXPECT_EQ(config.flash.factorySerial, used.TheChip().Config().flash.factorySerial);
    EXPECT_EQ(config.runtime.pins, used.TheChip().Config().runtime.pins);
    EXPECT_EQ(config.runtime.settings, used.TheChip().Config().runtime.settings);
    EXPECT_TRUE(config.runtime.accessGranted);
    // Input levels belong to the bench.
    EXPECT_EQ(config.runtime.inputLevels[0], 1);
    EXPECT_EQ(ChipStateText(fresh.bench, fresh.description), text);
}

TEST(ChipStateFile, ATextCutShortOrBrokenChangesNothing) {
    UsedBench used;
    used.Use();
    const std::string text = ChipStateText(used.bench, used.description);
    UsedBench fresh;
    const std::string untouched = ChipStateText(fresh.bench, fresh.description);
    // Cut at every line end before the last: a chip's block cut short is
    // refused (the header alone is a state of no chips).
    for (std::size_t end = text.find('\n'); end + 1 < text.size(); end = text.find('\n', end + 1)) {
        ApplyChipStateText(text.substr(0, end + 1), fresh.bench, fresh.description);
    }
    // One character changed: the line can no longer be read, or the chip
    // it names is not this one.
    for (std::size_t at = 0; at < text.size(); ++at) {
        std::string broken = text;
        broken[at] = broken[at] == '\n' ? 'x' : 'Z';
        ApplyChipStateText(broken, fresh.bench, fresh.description);
    }
    EXPECT_FALSE(ApplyChipStateText("", fresh.bench, fresh.description));
    EXPECT_FALSE(ApplyChipStateText(std::string(300, '\0'), fresh.bench, fresh.description));
    EXPECT_FALSE(ApplyChipStateText(text + "end\n", fresh.bench, fresh.description));
    EXPECT_EQ(ChipStateText(fresh.bench, fresh.description), untouched);
    // The whole text still applies.
    EXPECT_TRUE(ApplyChipStateText(text, fresh.bench, fresh.description));
    EXPECT_EQ(ChipStateText(fresh.bench, fresh.description), text);
}

TEST(ChipStateFile, AppliesOnlyToTheChipAndDevicesItWasTakenFrom) {
    UsedBench used;
    used.Use();
    const std::string text = ChipStateText(used.bench, used.description);

    BenchDescription otherSerial = DefaultBenchDescription();
    otherSerial.ports[0].chip->serialNumber = u"KV000002";
    Bench first;
    BuildBench(otherSerial, first);
    ASSERT_TRUE(ApplyChipStateText(text, first, otherSerial));
    EXPECT_EQ(first.ChipAt("1")->Config().flash.serialNumber, u"KV000002");

    BenchDescription smallerEeprom = DefaultBenchDescription();
    smallerEeprom.ports[0].chip->eeproms[0].size = 128;
    Bench second;
    BuildBench(smallerEeprom, second);
    ASSERT_TRUE(ApplyChipStateText(text, second, smallerEeprom));
    auto* eeprom = dynamic_cast<EepromSlave*>(second.ChipAt("1")->Engine().Bus().Addressed(0xA0));
    EXPECT_EQ(eeprom->Memory()[7], 7);
    // The rest of the chip's state is taken.
    EXPECT_EQ(second.ChipAt("1")->Config().flash.serialNumber, u"NEW\u00e9");
    auto* smbus = dynamic_cast<SmbusDevice*>(second.ChipAt("1")->Engine().Bus().Addressed(0x16));
    EXPECT_EQ(smbus->Registers()[3], 0x33);
}

class TemporaryDirectory {
public:
    TemporaryDirectory() {
        path_ = MakeTemporaryDirectory("kelvane-bench");
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

TEST(VirtualBenchSession, SavesTheStateWhenItEndsAndLoadsItWhenItStarts) {
    TemporaryDirectory dir;
    const std::string benchFile = (dir / "bench.txt").string();
    const std::string stateFile = (dir / "state.txt").string();
    std::ofstream(benchFile) << "state=" << stateFile << "\nchip serial=ABC\n  eeprom addr7=50\n";
    {
        VirtualBenchSession session(benchFile.c_str());
        auto* eeprom = dynamic_cast<EepromSlave*>(session.Chips().ChipAt("1")->Engine().Bus().Addressed(0xA0));
        ASSERT_NE(eeprom, nullptr);
        eeprom->Memory()[0] = 0x5A;
    }
    EXPECT_TRUE(std::filesystem::exists(stateFile));
    EXPECT_FALSE(std::filesystem::exists(stateFile + ".new"));
    {
        VirtualBenchSession session(benchFile.c_str());
        auto* eeprom = dynamic_cast<EepromSlave*>(session.Chips().ChipAt("1")->Engine().Bus().Addressed(0xA0));
        EXPECT_EQ(eeprom->Memory()[0], 0x5A);
        eeprom->Memory()[1] = 0xA5;
    }
    // The state file of the first session is replaced, not kept.
    {
        VirtualBenchSession session(benchFile.c_str());
        auto* eeprom = dynamic_cast<EepromSlave*>(session.Chips().ChipAt("1")->Engine().Bus().Addressed(0xA0));
        EXPECT_EQ(eeprom->Memory()[0], 0x5A);
        EXPECT_EQ(eeprom->Memory()[1], 0xA5);
    }
    EXPECT_FALSE(std::filesystem::exists(stateFile + ".new"));
}

TEST(VirtualBenchSession, AnUnreadableBenchFileIsAnEmptyBenchThatKeepsNoState) {
    TemporaryDirectory dir;
    const std::string benchFile = (dir / "bench.txt").string();
    std::ofstream(benchFile) << "chip vid=nonsense\n";
    {
        VirtualBenchSession session(benchFile.c_str());
        EXPECT_TRUE(session.Chips().Ports().empty());
        VirtualBenchSession missing((dir / "missing.txt").string().c_str());
        EXPECT_TRUE(missing.Chips().Ports().empty());
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / ""), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace kelvane::testing
