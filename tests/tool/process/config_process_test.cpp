// config show, export and apply: a file edited by hand comes back from the
// chip as edited, serial numbers from a pattern over several chips (also
// when one of them fails), a file's own serial number refused for a batch,
// and the protection: a password-protected chip, a locked one, the lock
// itself, protection turned off.
#include "tool/process/tool_process_test.h"

namespace kelvane::testing {
namespace {

constexpr char kThreeChips[] =
    "chip serial=KV000001\n"
    "chip serial=KV000002\n"
    "chip serial=KV000003\n";

// The text with `from` replaced by `to` where it first stands; the test
// fails when it is not there.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// A line that holds a # but does not begin with it (a comment after a
// value), or empty.
std::string CommentAfterAValue(const std::string& text) {
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; start = end + 1, end = text.find('\n', start)) {
        const std::string line = text.substr(start, end - start);
        if (line.rfind('#', 0) != 0 && line.find('#') != std::string::npos) {
            return line;
        }
    }
    return {};
}

std::vector<std::string> Serials(const nlohmann::json& listing) {
    std::vector<std::string> serials;
    for (const nlohmann::json& chip : listing["chips"]) {
        serials.push_back(chip["serial"].get<std::string>());
    }
    return serials;
}

class ConfigProcessTest : public ToolProcessTest {};

// The file that export writes, edited by hand, applied and exported again,
// is the edited file; only what differs is written.
TEST_F(ConfigProcessTest, AnEditedFileComesBackAsEdited) {
    WriteBench(kThreeChips);
    EXPECT_RUN(Run({"config", "export", "a.toml"}), "chip 0 (KV000001): configuration written to a.toml\n", kSuccess);
    const std::string exported = ReadFile("a.toml");
    EXPECT_NE(exported.find("\n[usb]\n"), std::string::npos);
    EXPECT_NE(exported.find("\nproduct = \"Kelvane USB-I2C bridge\"\n"), std::string::npos);
    EXPECT_NE(exported.find("\nvendor_id = 0x1209\n"), std::string::npos);
    // Comments stand on lines of their own.
    EXPECT_EQ(CommentAfterAValue(exported), "");

    std::string edited = Replaced(exported, "\nproduct = \"Kelvane USB-I2C bridge\"\n",
                                  "\nproduct = \"Bench \\\"rig\\\" é\"\n");
    edited = Replaced(edited, "[pins.gp1]\ndesignation = 0\ndirection = \"in\"",
                      "[pins.gp1]\ndesignation = 3\ndirection = \"out\"");
    edited = Replaced(edited, "\ncurrent_ma = 100\n", "\ncurrent_ma = 250\n");
    edited = Replaced(edited, "\ndivider = 1\n", "\ndivider = 5\n");
    edited = Replaced(edited, "\nreference = 0\nvalue = 0\n", "\nreference = 2\nvalue = 17\n");
    ASSERT_NE(edited, exported);
    WriteFile("edited.toml", edited);
    EXPECT_RUN(Run({"config", "apply", "edited.toml"}),
               "chip 0 (KV000001): written: usb.product, usb.current_ma, pins.gp1.designation, "
               "pins.gp1.direction, clock.divider, dac.reference, dac.value; read back as written\n",
               kSuccess);
    EXPECT_RUN(Run({"config", "export", "b.toml"}), "chip 0 (KV000001): configuration written to b.toml\n", kSuccess);
    EXPECT_EQ(ReadFile("b.toml"), edited);
    EXPECT_RUN(Run({"config", "apply", "b.toml"}), "chip 0 (KV000001): unchanged, the chip has this configuration\n",
               kSuccess);
    // The other chips kept theirs; show prints what export writes.
    const ProgramRun shown = Run({"-i", "1", "config", "show"});
    EXPECT_EQ(shown.out, Replaced(exported, "KV000001", "KV000002"));

    const nlohmann::json config = RunJson({"config", "show"});
    EXPECT_EQ(config["config"]["usb"]["product"], "Bench \"rig\" é");
    EXPECT_EQ(config["config"]["usb"]["vendor_id"], 0x1209);
    EXPECT_EQ(config["config"]["pins"]["gp1"]["designation"], 3);
    EXPECT_EQ(config["config"]["protection"]["state"], "unprotected");
    const nlohmann::json exportedJson = RunJson({"config", "export", "c.toml"});
    EXPECT_EQ(exportedJson["file"], "c.toml");
    EXPECT_EQ(exportedJson["config"], config["config"]);
}

// Files that cannot be applied change nothing and end with status 2.
TEST_F(ConfigProcessTest, FilesThatCannotBeAppliedChangeNothing) {
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"[usb]\nproduct = \"x\"\ncolour = 1\n", "unknown key usb.colour"},
        {"[usb]\ncurrent_ma = 99\n", "usb.current_ma cannot be written"},
        {"[usb]\ncurrent_ma = \"100\"\n", "an integer is needed"},
        {"[usb]\nproduct = \"0123456789012345678901234567890\"\n", "at most 30 fit"},
        {"[pins.gp0]\ndesignation = 5\n", "designations 0 to 4"},
        {"[interrupt]\nmode = 0\n[usb]\nproduct=\"x\"\n", "modes 1 to 3 can be set, 0 cannot"},
        {"[usb]\npower = \"none\"\nproduct=\"x\"\n", "the power source is \"bus\" or \"self\""},
        {"[clock]\ndivider = 0\nduty_cycle = 1\n", "dividers 1 to 7"},
        {"[protection]\nstate = \"password\"\n", "needs protection.password"},
        {"[protection]\npassword = \"short\"\n", "must be 8 bytes long"},
        {"[protection]\nstate = \"locked\"\n", "--yes-lock"},
        {"[usb\nproduct = 1\n", "not TOML"},
        {"a = " + std::string(100, '[') + std::string(100, ']') + "\n", "nested deeper"},
    };
    WriteBench(kThreeChips);
    // A mode other than 0, so that mode 0 is a change (the chip's own 0
    // would be nothing to write).
    WriteFile("mode.toml", "[interrupt]\nmode = 2\n");
    EXPECT_EQ(Run({"config", "apply", "mode.toml"}).status, kSuccess);
    const std::string before = Run({"config", "show"}).out;
    ASSERT_NE(before.find("\n[interrupt]\n# interrupt pin mode, 1 to 3 (0 cannot be set)\nmode = 2\n"),
              std::string::npos)
        << before;
    for (const auto& [text, message] : refused) {
        WriteFile("bad.toml", text);
        const ProgramRun run = Run({"config", "apply", "bad.toml"});
        ExpectFailure(run, kUsage, message);
        EXPECT_EQ(run.out, "") << text;
    }
    EXPECT_EQ(Run({"config", "show"}).out, before);
    ExpectFailure(Run({"config", "apply", "missing.toml"}), kFailed, "cannot open missing.toml");
    ExpectFailure(Run({"config", "apply", "--start", "3", "bad.toml"}), kUsage, "--start goes with --serial-pattern");
    ExpectFailure(Run({"config", "apply", "--serial-pattern", "LAB", "bad.toml"}), kUsage, "no place for the number");
}

// A production line: each chip set up gets the next serial number, and the
// number to use next is printed.
TEST_F(ConfigProcessTest, SerialPatternNumbersThreeChips) {
    WriteBench(kThreeChips);
    WriteFile("line.toml", "[usb]\nproduct = \"Line\"\n");
    EXPECT_RUN(Run({"config", "apply", "--all", "--serial-pattern", "LAB-{n:04}", "--start", "17", "line.toml"}),
               "chip 0 (KV000001): written: usb.product, usb.serial; read back as written\n"
               "chip 1 (KV000002): written: usb.product, usb.serial; read back as written\n"
               "chip 2 (KV000003): written: usb.product, usb.serial; read back as written\n"
               "next serial number: LAB-0020 (--start 20)\n",
               kSuccess);
    EXPECT_EQ(Serials(RunJson({"list"})), (std::vector<std::string>{"LAB-0017", "LAB-0018", "LAB-0019"}));
    // One chip at a time, as a line that programs chips as they come.
    const nlohmann::json one =
        RunJson({"-s", "LAB-0018", "config", "apply", "--serial-pattern", "S{n}", "--start", "20", "line.toml"});
    EXPECT_EQ(one["next"], 21);
    EXPECT_EQ(one["chips"][0]["index"], 1);
    EXPECT_EQ(one["chips"][0]["serial"], "S20");
    EXPECT_EQ(one["chips"][0]["changed"], (nlohmann::json{"usb.serial"}));
    EXPECT_EQ(Serials(RunJson({"list"})), (std::vector<std::string>{"LAB-0017", "S20", "LAB-0019"}));
    ExpectFailure(Run({"config", "apply", "--serial-pattern", "{n:025}", "line.toml"}), kUsage, "up to 20");
    // 30 characters at 99, 31 at 100: refused before the first chip is
    // written.
    ExpectFailure(Run({"config", "apply", "--all", "--serial-pattern", "ABCDEFGHIJKLMNOPQRSTUVWXYZab{n}", "--start",
                       "99", "line.toml"}),
                  kUsage, "--serial-pattern gives \"ABCDEFGHIJKLMNOPQRSTUVWXYZab100\"");
    EXPECT_EQ(Serials(RunJson({"list"})), (std::vector<std::string>{"LAB-0017", "S20", "LAB-0019"}));
}

// A file that config export wrote for one chip, applied to every chip: its
// serial number would make the chips alike, so it is refused before any
// chip is written, unless a pattern numbers them or --same-serial asks.
TEST_F(ConfigProcessTest, ABatchTakesAFilesSerialNumberOnlyWhenAsked) {
    WriteBench(kThreeChips);
    ASSERT_EQ(Run({"-s", "KV000002", "config", "export", "a.toml"}).status, kSuccess);
    const std::string exported = ReadFile("a.toml");
    // The key's comment says how a batch treats it.
    EXPECT_NE(exported.find("\n# this chip's serial number; config apply --all refuses a file with this key\n"
                            "# unless --serial-pattern"),
              std::string::npos)
        << exported;
    WriteFile("a.toml", Replaced(exported, "\nproduct = \"Kelvane USB-I2C bridge\"\n", "\nproduct = \"Edited\"\n"));
    const std::string before = Run({"-i", "2", "config", "show"}).out;
    for (const bool json : {false, true}) {
        std::vector<std::string> args{"config", "apply", "--all", "a.toml"};
        if (json) {
            args.insert(args.begin(), "--json");
        }
        const ProgramRun refused = Run(args);
        ExpectFailure(refused, kUsage,
                      "config apply --all: a.toml sets usb.serial = \"KV000002\", which would give every chip the "
                      "same serial number; give --serial-pattern (each chip its own number) or leave usb.serial out "
                      "of the file (each chip keeps its own); --same-serial writes the same number to every chip");
        EXPECT_EQ(refused.out, "");
    }
    EXPECT_EQ(Serials(RunJson({"list"})), (std::vector<std::string>{"KV000001", "KV000002", "KV000003"}));
    EXPECT_EQ(Run({"-i", "2", "config", "show"}).out, before);
    ExpectFailure(Run({"config", "apply", "--all", "--same-serial", "--serial-pattern", "S{n}", "a.toml"}), kUsage,
                  "excludes");

    // The chip it was exported from takes it as it stands.
    EXPECT_RUN(Run({"-i", "1", "config", "apply", "a.toml"}),
               "chip 1 (KV000002): written: usb.product; read back as written\n", kSuccess);
    EXPECT_RUN(Run({"config", "apply", "--all", "--serial-pattern", "E-{n}", "a.toml"}),
               "chip 0 (KV000001): written: usb.product, usb.serial; read back as written\n"
               "chip 1 (KV000002): written: usb.serial; read back as written\n"
               "chip 2 (KV000003): written: usb.product, usb.serial; read back as written\n"
               "next serial number: E-4 (--start 4)\n",
               kSuccess);
    EXPECT_EQ(Serials(RunJson({"list"})), (std::vector<std::string>{"E-1", "E-2", "E-3"}));
    EXPECT_RUN(Run({"config", "apply", "--all", "--same-serial", "a.toml"}),
               "chip 0 (E-1): written: usb.serial; read back as written\n"
               "chip 1 (E-2): written: usb.serial; read back as written\n"
               "chip 2 (E-3): written: usb.serial; read back as written\n",
               kSuccess);
    EXPECT_EQ(Serials(RunJson({"list"})), (std::vector<std::string>{"KV000002", "KV000002", "KV000002"}));
}

// A batch with chips that fail: the others are set up, a number that may
// have reached a failed chip stays with it, and a chip that fails before
// its number is written takes none.
TEST_F(ConfigProcessTest, AChipThatFailsInABatchKeepsTheNumberItMayCarry) {
    // Reading the whole configuration takes about 20 flash reads: chip 1
    // stops answering them in the read-back after its writes, chip 2 at the
    // first one, before anything is written.
    const std::string chips =
        "chip serial=KV000001\n"
        "chip serial=KV000002\n"
        "chip serial=KV000003\n"
        "chip serial=KV000004\n";
    std::string faults =
        Replaced(chips, "KV000002\n", "KV000002\n  fault kind=no-answer command=b0 skip=28 times=forever\n");
    faults = Replaced(faults, "KV000003\n", "KV000003\n  fault kind=no-answer command=b0 times=forever\n");
    WriteBench(faults);
    WriteFile("line.toml", "[usb]\nproduct = \"Line\"\n");
    const ProgramRun text =
        Run({"config", "apply", "--all", "--serial-pattern", "L-{n:02}", "--start", "1", "line.toml"});
    ExpectFailure(text, kFailed, "config apply: 2 of 4 chips not set up");
    for (const char* line : {"chip 0 (KV000001): written: usb.product, usb.serial; read back as written\n"
                             "chip 1: failed: config: reading ",
                             "chip 1: may carry serial number L-02; the next chip gets the next one\n"
                             "chip 2: failed: config: reading ",
                             "chip 3 (KV000004): written: usb.product, usb.serial; read back as written\n"
                             "next serial number: L-04 (--start 4)\n"}) {
        EXPECT_NE(text.out.find(line), std::string::npos) << line << text.out;
    }

    const ProgramRun json =
        Run({"--json", "config", "apply", "--all", "--serial-pattern", "L-{n:02}", "--start", "4", "line.toml"});
    ExpectFailure(json, kFailed, "config apply: 2 of 4 chips not set up");
    const nlohmann::json document = nlohmann::json::parse(json.out, nullptr, false);
    ASSERT_EQ(document["chips"].size(), 4u) << json.out;
    EXPECT_EQ(document["chips"][0]["status"], "applied");
    EXPECT_EQ(document["chips"][0]["serial"], "L-04");
    EXPECT_EQ(document["chips"][1]["status"], "failed");
    EXPECT_EQ(document["chips"][1]["index"], 1);
    EXPECT_EQ(document["chips"][1]["serial"], "L-05");
    EXPECT_NE(document["chips"][1]["error"].get<std::string>().find("Kelvane read failed (-5)"), std::string::npos);
    EXPECT_EQ(document["chips"][2]["status"], "failed");
    EXPECT_FALSE(document["chips"][2].contains("serial"));
    EXPECT_EQ(document["chips"][3]["status"], "applied");
    EXPECT_EQ(document["chips"][3]["serial"], "L-06");
    EXPECT_EQ(document["next"], 7);
    EXPECT_EQ(document["error"]["message"], "config apply: 2 of 4 chips not set up");

    // Without the faults: every chip that may carry a number has its own.
    WriteBench(chips);
    EXPECT_EQ(Serials(RunJson({"list"})), (std::vector<std::string>{"L-04", "L-05", "KV000003", "L-06"}));
    EXPECT_NE(Run({"-i", "1", "config", "show"}).out.find("\nproduct = \"Line\"\n"), std::string::npos);
    EXPECT_NE(Run({"-i", "2", "config", "show"}).out.find("\nproduct = \"Kelvane USB-I2C bridge\"\n"),
              std::string::npos);
}

// A chip whose own settings make the file's change impossible: refused
// before anything is written as long as no chip was written (exit status 2,
// nothing done); later in a batch it is that chip's failure, and it takes
// no number of the pattern.
TEST_F(ConfigProcessTest, AChipRefusedAfterOthersWereWrittenFailsAlone) {
    WriteBench(kThreeChips);
    WriteFile("mode.toml", "[interrupt]\nmode = 2\n");
    EXPECT_EQ(Run({"-i", "1", "config", "apply", "mode.toml"}).status, kSuccess);
    WriteFile("line.toml", "[interrupt]\nmode = 0\n[usb]\nproduct = \"Line\"\n");
    const ProgramRun json =
        Run({"--json", "config", "apply", "--all", "--serial-pattern", "L-{n:02}", "--start", "1", "line.toml"});
    ExpectFailure(json, kFailed, "config apply: 1 of 3 chips not set up");
    const nlohmann::json document = nlohmann::json::parse(json.out, nullptr, false);
    ASSERT_EQ(document["chips"].size(), 3u) << json.out;
    EXPECT_EQ(document["chips"][0]["serial"], "L-01");
    EXPECT_EQ(document["chips"][1]["status"], "failed");
    EXPECT_NE(document["chips"][1]["error"].get<std::string>().find("modes 1 to 3 can be set, 0 cannot"),
              std::string::npos);
    EXPECT_FALSE(document["chips"][1].contains("serial"));
    EXPECT_EQ(document["chips"][2]["serial"], "L-02");
    EXPECT_EQ(document["next"], 3);
    EXPECT_EQ(Serials(RunJson({"list"})), (std::vector<std::string>{"L-01", "KV000002", "L-02"}));

    // The first chip refused: nothing was done to any chip.
    EXPECT_EQ(Run({"-i", "0", "config", "apply", "mode.toml"}).status, kSuccess);
    WriteFile("other.toml", "[interrupt]\nmode = 0\n[usb]\nproduct = \"Other\"\n");
    const ProgramRun first =
        Run({"config", "apply", "--all", "--serial-pattern", "M-{n:02}", "--start", "1", "other.toml"});
    ExpectFailure(first, kUsage, "modes 1 to 3 can be set, 0 cannot");
    EXPECT_EQ(first.out, "");
    EXPECT_EQ(Serials(RunJson({"list"})), (std::vector<std::string>{"L-01", "KV000002", "L-02"}));
    EXPECT_EQ(Run({"-i", "2", "config", "show"}).out.find("\nproduct = \"Other\"\n"), std::string::npos);
}

// A password set by a file protects the chip once it is reset; then a change
// needs --password, and a permanently locked chip is left alone by --all.
TEST_F(ConfigProcessTest, ProtectedAndLockedChips) {
    WriteBench(kThreeChips);
    WriteFile("password.toml", "[protection]\npassword = \"secret12\"\n");
    EXPECT_RUN(Run({"-i", "1", "config", "apply", "--reset", "password.toml"}),
               "chip 1 (KV000002): written: protection.state; read back as written\nchip 1 (KV000002): reset\n",
               kSuccess);
    EXPECT_EQ(RunJson({"-i", "1", "config", "show"})["config"]["protection"]["state"], "password");

    WriteFile("product.toml", "[usb]\nproduct = \"Changed\"\n");
    ExpectFailure(Run({"-i", "1", "config", "apply", "product.toml"}), kFailed, "give its password with --password");
    ExpectFailure(Run({"-i", "1", "config", "apply", "--password", "secret99", "product.toml"}), kFailed,
                  "the chip rejected the access password (-14)");
    EXPECT_NE(Run({"-i", "1", "config", "show"}).out.find("product = \"Kelvane USB-I2C bridge\""), std::string::npos);
    EXPECT_RUN(Run({"-i", "1", "config", "apply", "--password", "secret12", "product.toml"}),
               "chip 1 (KV000002): written: usb.product; read back as written\n", kSuccess);
    ExpectFailure(Run({"config", "apply", "--password", "secret", "product.toml"}), kUsage, "8 bytes");

    WriteFile("lock.toml", "[protection]\nstate = \"locked\"\n");
    EXPECT_RUN(Run({"-i", "2", "config", "apply", "--yes-lock", "--reset", "lock.toml"}),
               "chip 2 (KV000003): written: protection.state; read back as written\nchip 2 (KV000003): reset\n",
               kSuccess);
    const ProgramRun all = Run({"--json", "config", "apply", "--all", "--password", "secret12", "product.toml"});
    ExpectFailure(all, kFailed, "chip 2 (KV000003): the flash settings are permanently locked; left alone");
    EXPECT_NE(all.err.find("1 of 3 chips not set up"), std::string::npos) << all.err;
    const nlohmann::json document = nlohmann::json::parse(all.out, nullptr, false);
    ASSERT_EQ(document["chips"].size(), 3u);
    EXPECT_EQ(document["chips"][0]["status"], "applied");
    EXPECT_EQ(document["chips"][1]["status"], "unchanged");
    EXPECT_EQ(document["chips"][2]["status"], "locked");
    EXPECT_EQ(document["error"]["message"], "config apply: 1 of 3 chips not set up");
    EXPECT_NE(Run({"-i", "2", "config", "show"}).out.find("product = \"Kelvane USB-I2C bridge\""), std::string::npos);
}

// Protection turned off and new identifiers on every chip, with --reset:
// each chip is found again by its device path, although the others move up
// in the scan as the ones reset before them leave under new identifiers.
TEST_F(ConfigProcessTest, ProtectionOffAndResetOfEveryChip) {
    WriteBench(kThreeChips);
    WriteFile("password.toml", "[protection]\npassword = \"secret12\"\n");
    EXPECT_RUN(Run({"config", "apply", "--all", "--reset", "password.toml"}),
               "chip 0 (KV000001): written: protection.state; read back as written\n"
               "chip 1 (KV000002): written: protection.state; read back as written\n"
               "chip 2 (KV000003): written: protection.state; read back as written\n"
               "chip 0 (KV000001): reset\nchip 1 (KV000002): reset\nchip 2 (KV000003): reset\n",
               kSuccess);
    WriteFile("open.toml", "[usb]\nvendor_id = 0x04d8\nproduct_id = 0x00dd\n[protection]\nstate = \"unprotected\"\n");
    const ProgramRun refused = Run({"config", "apply", "--all", "open.toml"});
    ExpectFailure(refused, kFailed, "3 of 3 chips not set up");
    EXPECT_NE(refused.out.find("chip 2: failed: config apply: the chip is password-protected"), std::string::npos)
        << refused.out;

    const nlohmann::json opened =
        RunJson({"config", "apply", "--all", "--password", "secret12", "--reset", "open.toml"});
    ASSERT_EQ(opened["chips"].size(), 3u);
    for (const nlohmann::json& chip : opened["chips"]) {
        EXPECT_EQ(chip["status"], "applied");
        EXPECT_EQ(chip["changed"], (nlohmann::json{"usb.vendor_id", "usb.product_id", "protection.state"}));
        EXPECT_EQ(chip["reset"], true);
    }
    EXPECT_EQ(RunJson({"list"})["chips"].size(), 0u);
    EXPECT_EQ(Serials(RunJson({"--vid", "0x04d8", "--pid", "0xdd", "list"})),
              (std::vector<std::string>{"KV000001", "KV000002", "KV000003"}));
    // Unprotected after the reset: a change needs no password.
    WriteFile("product.toml", "[usb]\nproduct = \"Open\"\n");
    for (const char* index : {"0", "1", "2"}) {
        EXPECT_EQ(RunJson({"--vid", "0x04d8", "--pid", "0xdd", "-i", index, "config", "show"})["config"]["protection"]
                         ["state"],
                  "unprotected");
    }
    EXPECT_EQ(RunJson({"--vid", "0x04d8", "--pid", "0xdd", "config", "apply", "--all", "product.toml"})["chips"][2]
                     ["status"],
              "applied");
}

// New USB identifiers take effect at a reset: the chip is then found under
// them only.
TEST_F(ConfigProcessTest, NewUsbIdentifiersAfterAReset) {
    WriteBench(kThreeChips);
    WriteFile("ids.toml", "[usb]\nvendor_id = 0x04d8\nproduct_id = 0x00dd\n");
    EXPECT_RUN(Run({"config", "apply", "ids.toml"}),
               "chip 0 (KV000001): written: usb.vendor_id, usb.product_id; read back as written\n"
               "chip 0 (KV000001): the new USB identifiers or protection take effect when the chip is reset "
               "(kelvane reset, or config apply --reset)\n",
               kSuccess);
    EXPECT_EQ(RunJson({"list"})["chips"].size(), 3u);
    EXPECT_RUN(Run({"reset"}), "chip 0 (KV000001): reset\n", kSuccess);
    EXPECT_EQ(Serials(RunJson({"list"})), (std::vector<std::string>{"KV000002", "KV000003"}));
    const nlohmann::json moved = RunJson({"--vid", "0x04d8", "--pid", "0xdd", "list"});
    EXPECT_EQ(Serials(moved), (std::vector<std::string>{"KV000001"}));
    EXPECT_EQ(moved["vid"], 0x04D8);
}

}  // namespace
}  // namespace kelvane::testing
