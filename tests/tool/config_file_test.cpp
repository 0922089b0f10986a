// The configuration file: what export writes reads back as the same keys,
// and text that is no configuration is refused with the reason. Serial
// numbers from a pattern.
#include <gtest/gtest.h>

#include "common/failure.h"
#include "config/config_toml.h"
#include "config/serial_pattern.h"

namespace kelvane::tool {
namespace {

Config FullConfig() {
    Config config;
    for (const ConfigKey& key : ConfigKeys()) {
        if (!key.exported) {
            continue;
        }
        switch (key.type) {
            case ConfigKey::Type::kInteger: config[key.name] = key.max; break;
            case ConfigKey::Type::kBool: config[key.name] = true; break;
            case ConfigKey::Type::kString:
                config[key.name] =
                    key.choices != nullptr ? std::string(key.choices[1]) : std::string("a \"b\" \\ é\t😀");
                break;
        }
    }
    return config;
}

TEST(ConfigFile, WhatIsWrittenReadsBack) {
    const Config config = FullConfig();
    const std::string text = ConfigToToml(config);
    EXPECT_EQ(ConfigFromToml(text, "a.toml"), config);
    EXPECT_NE(text.find("\n[pins.gp3]\ndesignation = 7\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nvendor_id = 0xffff\n"), std::string::npos);
    // The comments' lines are short and begin with #.
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; start = end + 1, end = text.find('\n', start)) {
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    }
    // A file may hold a few keys only, in any order, dotted or in tables.
    const Config some = ConfigFromToml("usb.product = \"x\"\n[clock]\nduty_cycle = 2\n", "b.toml");
    EXPECT_EQ(some, (Config{{"usb.product", std::string("x")}, {"clock.duty_cycle", std::int64_t{2}}}));
    EXPECT_EQ(ConfigFromToml("[protection]\npassword = \"12345678\"\n", "c.toml").count("protection.password"), 1u);
}

TEST(ConfigFile, RefusesWhatIsNoConfiguration) {
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"[usb]\nproduct = 1\n", "usb.product = 1: a string is needed"},
        {"[usb]\nvendor_id = 0x10000\n", "usb.vendor_id = 0x10000: must be from 0 to 65535"},
        {"[usb]\nserial_enumeration = 1\n", "true or false is needed"},
        {"[usb]\npower = \"battery\"\n", "must be one of \"bus\", \"self\", \"none\""},
        {"[usb]\nproduct = 1.5\n", "an integer, true or false, or a string is needed"},
        {"[usb]\nproduct = [\"a\"]\n", "an integer, true or false, or a string is needed"},
        {"[pins.gp4]\nvalue = 0\n", "unknown key pins.gp4.value"},
        {"[[usb]]\n", "unknown key usb"},
        {"usb = 1\n", "unknown key usb"},
        {"[usb]\nproduct = \"\xff\"\n", "not UTF-8"},
        {"'l\xff\xffK'l\xff\xffK", "not UTF-8"},  // in a literal-string key
        {"x = \"\xc0\xaf\"\n", "not UTF-8"},      // an overlong form
        {"[usb]\nproduct = \"a\"\nproduct = \"b\"\n", "not TOML"},
        {"x = " + std::string(9, '{') + std::string(9, '}') + "\n", "nested deeper"},
        {"a.b.c.d.e.f.g.h.i.j = 1\n", "nested deeper"},
        {std::string(64 * 1024 + 1, '#'), "larger than 64 KiB"},
    };
    for (const auto& [text, reason] : refused) {
        try {
            ConfigFromToml(text, "bad.toml");
            ADD_FAILURE() << "taken: " << text.substr(0, 60);
        } catch (const UsageError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind("bad.toml: ", 0), 0u) << message;
            EXPECT_NE(message.find(reason), std::string::npos) << message;
        }
    }
    // Brackets inside strings and comments are no nesting.
    EXPECT_NO_THROW(ConfigFromToml("# [[[[[[[[[[\nusb.product = \"[[[[[[[[[[{{{\"\n", "ok.toml"));
}

TEST(SerialPattern, NumbersAndWidths) {
    EXPECT_EQ(SerialPattern::Parse("LAB-{n:04}").Serial(17), "LAB-0017");
    EXPECT_EQ(SerialPattern::Parse("LAB-{n:04}").Serial(123456), "LAB-123456");
    EXPECT_EQ(SerialPattern::Parse("{n}").Serial(0), "0");
    EXPECT_EQ(SerialPattern::Parse("x{n:3}y").Serial(5), "x  5y");
    EXPECT_EQ(SerialPattern::Parse("{{{n}}}").Serial(9), "{9}");
    for (const char* refused : {"LAB", "{n}{n}", "{m}", "{n:}", "{n:0x}", "{n:21}", "{n", "a}b", "{nn}"}) {
        EXPECT_THROW(SerialPattern::Parse(refused), UsageError) << refused;
    }
}

}  // namespace
}  // namespace kelvane::tool
