// config show, export and apply: a file edited by hand comes back from the
// chip as edited, serial numbers from a pattern over several chips, and the
// protection: a password-protected chip, a locked one, the lock itself.
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
        {"[interrupt]\nmode = 0\n[usb]\nproduct=\"x\"\n", ""},
        {"[clock]\ndivider = 0\nduty_cycle = 1\n", "dividers 1 to 7"},
        {"[protection]\nstate = \"password\"\n", "needs protection.password"},
        {"[protection]\npassword = \"short\"\n", "must be 8 bytes long"},
        {"[protection]\nstate = \"locked\"\n", "--yes-lock"},
        {"[usb\nproduct = 1\n", "not TOML"},
        {"a = " + std::string(100, '[') + std::string(100, ']') + "\n", "nested deeper"},
    };
    WriteBench(kThreeChips);
    const std::string before = Run({"config", "show"}).out;
    for (const auto& [text, message] : refused) {
        WriteFile("bad.toml", text);
        const ProgramRun run = Run({"config", "apply", "bad.toml"});
        if (message.empty()) {
            // Mode 0 as the chip has it: nothing to write there.
            EXPECT_EQ(run.status, kSuccess) << text << run.err;
            continue;
        }
        ExpectFailure(run, kUsage, message);
        EXPECT_EQ(run.out, "") << text;
    }
    EXPECT_EQ(Run({"config", "show"}).out, Replaced(before, "Kelvane USB-I2C bridge", "x"));
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
