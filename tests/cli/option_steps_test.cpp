// The steps of a run that need neither the library nor a chip.
#include "option_steps.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "commands/exit_codes.h"
#include "help/help_pages.h"

namespace kelvane::cli {
namespace {

struct StepsRun {
    std::optional<int> exitCode;
    std::wstring output;
};

StepsRun RunSteps(std::initializer_list<std::wstring> args, CliOptions& options) {
    std::vector<std::wstring> arguments{L"KelvaneCLI"};
    arguments.insert(arguments.end(), args);
    CapturedOutput out;
    const std::optional<int> code = RunOptionSteps(arguments, options, out);
    return {code, out.Text()};
}

StepsRun RunSteps(std::initializer_list<std::wstring> args) {
    CliOptions options;
    return RunSteps(args, options);
}

TEST(OptionSteps, HelpWithoutArgumentsOrWhenAskedFor) {
    const std::wstring general = std::wstring(kGeneralPage) + kVersionBanner;
    EXPECT_EQ(RunSteps({}).output, general);
    EXPECT_EQ(RunSteps({}).exitCode, kExitSuccess);
    // An option with a value does not pick its page.
    EXPECT_EQ(RunSteps({L"-i2cr=5", L"-help"}).output, general);
    EXPECT_EQ(RunSteps({L"-i2cw", L"-help"}).output, kI2cWPage);
    EXPECT_EQ(RunSteps({L"-help", L"-vid"}).output, kVidPage);
    EXPECT_EQ(RunSteps({L"-err"}).output, kExitCodePage);
    EXPECT_EQ(RunSteps({L"-err"}).exitCode, kExitSuccess);
    // devices always sets its topic; only connectI and connectS come first.
    EXPECT_EQ(RunSteps({L"-smbw", L"-h", L"-devices"}).output, kDevicesPage);
    EXPECT_EQ(RunSteps({L"-devices", L"-?", L"-connectS"}).output, kConnectSPage);
}

TEST(OptionSteps, InvalidArgumentWinsOverHelp) {
    const StepsRun run = RunSteps({L"-help", L"-nonsense"});
    EXPECT_EQ(run.exitCode, kExitInvalidCommand);
    EXPECT_EQ(run.output, L"Error: Invalid Command.");
}

TEST(OptionSteps, OptionsWithoutACommandAreRefused) {
    for (const auto& args : {std::vector<std::wstring>{L"-vid=12"},
                             std::vector<std::wstring>{L"-vid=12", L"-pid=34", L"-speed=400000"},
                             std::vector<std::wstring>{L"-vid"}, std::vector<std::wstring>{L"-i2cr=x"}}) {
        std::vector<std::wstring> arguments{L"KelvaneCLI"};
        arguments.insert(arguments.end(), args.begin(), args.end());
        CliOptions options;
        CapturedOutput out;
        EXPECT_EQ(RunOptionSteps(arguments, options, out), kExitInvalidCommand);
        EXPECT_EQ(out.Text(), L"Error: Invalid command.\n");
    }
}

TEST(OptionSteps, ACommandGoesOnWithParsedOptionsAndFreshGpioRequests) {
    CliOptions options;
    options.gpioValue.fill(1);
    options.gpioReadPin.fill(1);
    const StepsRun run = RunSteps({L"-i2cr=2", L"-slave7=50", L"-speed=400000"}, options);
    EXPECT_EQ(run.exitCode, std::nullopt);
    EXPECT_EQ(run.output, L"");
    EXPECT_TRUE(options.command.i2cR);
    EXPECT_EQ(options.readCount, 2);
    EXPECT_EQ(options.slaveAddress, 0xA0);
    EXPECT_EQ(options.speed, 400000);
    EXPECT_EQ(options.gpioValue, (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(options.gpioReadPin, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace kelvane::cli
