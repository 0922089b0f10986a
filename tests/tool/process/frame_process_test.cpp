// The program frame: which library file is loaded, the chip selected by
// index or serial number, help, and the exit statuses of usage errors and
// failed operations.
#include <filesystem>

#include "tool/process/tool_process_test.h"

namespace kelvane::testing {
namespace {

class FrameProcessTest : public ToolProcessTest {};

TEST_F(FrameProcessTest, ListsAndSelectsChips) {
    WriteBench("chip serial=KV000001\nforeign id=HID\\VID_046D&PID_C52B\nchip serial=KV000002\n  eeprom addr7=50\n");
    const ProgramRun listing = Run({"list"});
    EXPECT_EQ(listing.status, kSuccess);
    EXPECT_EQ(listing.out.substr(0, listing.out.find('\n')),
              "index  serial                          firmware  hardware  path");
    EXPECT_NE(listing.out.find("\n1      KV000002                        1.2       A6        "), std::string::npos)
        << listing.out;
    const nlohmann::json chips = RunJson({"list"});
    ASSERT_EQ(chips["chips"].size(), 2u);
    EXPECT_EQ(chips["chips"][1]["serial"], "KV000002");
    EXPECT_EQ(chips["chips"][1]["firmware"], "1.2");
    EXPECT_EQ(chips["chips"][1]["hardware"], "A6");
    EXPECT_EQ(chips["vid"], 0x1209);

    // The second chip by serial number or index (common options before or
    // after the subcommand); the first has no EEPROM.
    EXPECT_RUN(Run({"-s", "KV000002", "get", "0x50", "0"}), "0xff\n", kSuccess);
    EXPECT_RUN(Run({"get", "0x50", "0", "--index", "1"}), "0xff\n", kSuccess);
    EXPECT_EQ(RunJson({"get", "0x50", "0", "-s", "KV000002"})["chip"]["index"], 1);
    ExpectFailure(Run({"get", "0x50", "0"}), kFailed, "get: read of register 0x00 at 0x50");
    ExpectFailure(Run({"-s", "KV000009", "reset"}), kFailed, "no chip with serial number KV000009 among the 2 found");
    ExpectFailure(Run({"-i", "2", "reset"}), kFailed, "no chip at index 2 (2 found)");
    ExpectFailure(Run({"-i", "1", "-s", "KV000002", "reset"}), kUsage, "excludes");
    const nlohmann::json reset = RunJson({"-i", "1", "reset"});
    EXPECT_EQ(reset["reset"], true);
    EXPECT_EQ(reset["chip"]["serial"], "KV000002");

    WriteBench("");
    EXPECT_RUN(Run({"list"}), "no chips found (VID 0x1209, PID 0x4b56)\n", kSuccess);
    EXPECT_EQ(RunJson({"list"})["chips"], nlohmann::json::array());
    ExpectFailure(Run({"detect"}), kFailed, "no chip found (VID 0x1209, PID 0x4b56)");
    const ProgramRun failed = Run({"--json", "detect"});
    EXPECT_EQ(nlohmann::json::parse(failed.out)["error"]["message"], "no chip found (VID 0x1209, PID 0x4b56)");
}

TEST_F(FrameProcessTest, UsageErrorsEndWithStatusTwoAndDoNothing) {
    const ProgramRun none = Run({});
    ExpectFailure(none, kUsage, "subcommand");
    EXPECT_EQ(none.out, "");
    ExpectFailure(Run({"scan"}), kUsage, "not a subcommand or option: scan");
    ExpectFailure(Run({"--bogus", "-i", "0"}), kUsage, "not a subcommand or option: --bogus");
    ExpectFailure(Run({"detect", "--frobnicate"}), kUsage, "--frobnicate");
    ExpectFailure(Run({"--speed", "47999", "list"}), kUsage, "--speed must be a number from 48000 to 400000");
    ExpectFailure(Run({"--vid", "0x10000", "list"}), kUsage, "--vid");
    // 0x8 is 8, an address without a slave; 08 is no octal number.
    ExpectFailure(Run({"get", "0x8"}), kFailed, "get: read at 0x08: Address NACK received (-23)");
    ExpectFailure(Run({"get", "08"}), kUsage, "the slave address must be");
    ExpectFailure(Run({"config"}), kUsage, "subcommand");
    // With --json a usage error prints no document: the command line, the
    // subcommand's own checks, and a file's contents found once the run is
    // under way.
    WriteFile("unknown.toml", "[usb]\ncolour = 1\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--json", "scan"},
                                                 {"--json", "get", "0x0b", "0x100"},
                                                 {"--json", "config", "apply", "--start", "2", "unknown.toml"},
                                                 {"--json", "config", "apply", "unknown.toml"}}) {
        const ProgramRun run = Run(args);
        EXPECT_EQ(run.status, kUsage) << args.back();
        EXPECT_EQ(run.out, "") << args.back();
        EXPECT_NE(run.err, "") << args.back();
    }

    const ProgramRun help = Run({"--help"});
    EXPECT_EQ(help.status, kSuccess);
    for (const char* subcommand :
         {"list", "detect", "get", "set", "dump", "transfer", "gpio", "adc", "dac", "config", "reset"}) {
        EXPECT_NE(help.out.find(std::string("\n  ") + subcommand + " "), std::string::npos) << subcommand;
    }
    const ProgramRun detectHelp = Run({"detect", "--help"});
    EXPECT_EQ(detectHelp.status, kSuccess);
    EXPECT_NE(detectHelp.out.find("Usage: kelvane detect [-q|-r] [-a] [FIRST LAST]\n"), std::string::npos);
    const ProgramRun applyHelp = Run({"config", "apply", "--help"});
    EXPECT_NE(applyHelp.out.find("--serial-pattern PATTERN"), std::string::npos);
    EXPECT_NE(applyHelp.out.find("--same-serial"), std::string::npos);
}

// Which library file the program loads: beside itself, --library, the
// virtual-chip flavour by name from the build's and the installation's
// layouts, and a file that is no Kelvane library.
TEST_F(FrameProcessTest, FindsItsLibrary) {
    const std::filesystem::path library = Directory() / kLibraryFile;
    // The build tree: bin/kelvane and virtual/KelvaneDLL-UM_x86.dll.
    const std::filesystem::path bin = PlaceProgram(Directory() / "build" / "bin");
    std::filesystem::create_directories(Directory() / "build" / "virtual");
    PlaceFileAs(library, Directory() / "build" / "virtual" / kLibraryFile);
    const std::filesystem::path elsewhere = Directory() / "build";
    ExpectFailure(RunIn(bin, elsewhere, {"list"}), kFailed, "not beside the program, nor in the current directory");
    const ProgramRun virtualRun = RunIn(bin, elsewhere, {"--library", "virtual", "list"});
    EXPECT_EQ(virtualRun.status, kSuccess) << virtualRun.err;
    EXPECT_NE(virtualRun.out.find("KV000001"), std::string::npos);
    EXPECT_EQ(RunIn(bin, elsewhere, {"--library", library.string(), "list"}).status, kSuccess);
    // A copy of the program inside virtual/ itself, and the installed
    // layout (<libdir>/kelvane/ with virtual/ inside).
    const std::filesystem::path inside = PlaceProgram(Directory() / "build" / "virtual");
    EXPECT_EQ(RunIn(inside, elsewhere, {"--library", "virtual", "list"}).status, kSuccess);
    const std::filesystem::path installed = PlaceProgram(Directory() / "lib" / "kelvane");
    std::filesystem::create_directories(Directory() / "lib" / "kelvane" / "virtual");
    PlaceFileAs(library, Directory() / "lib" / "kelvane" / "virtual" / kLibraryFile);
    EXPECT_EQ(RunIn(installed, elsewhere, {"--library", "virtual", "list"}).status, kSuccess);
    ExpectFailure(RunIn(installed, elsewhere, {"list"}), kFailed, "not beside the program");
    ExpectFailure(Run({"--library", "no-such-library.dll", "list"}), kFailed, "cannot load no-such-library.dll");
    ExpectFailure(Run({"--library", LibraryWithoutEntryPoints(), "list"}), kFailed, "is not the Kelvane library");
    const std::filesystem::path lone = PlaceProgram(Directory() / "lone");
    ExpectFailure(RunIn(lone, Directory() / "lone", {"--library", "virtual", "list"}), kFailed,
                  "no virtual-chip flavour");
}

}  // namespace
}  // namespace kelvane::testing
