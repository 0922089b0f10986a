// Runs of the built kelvane program against the virtual-chip flavour of the
// library, with the runner of KelvaneCLI's process tests
// (tests/cli/process/program_runner.h): standard output, standard error and
// exit status, and --json documents parsed back.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "cli/process/program_runner.h"

namespace kelvane::testing {

// The program's exit statuses.
inline constexpr int kSuccess = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// One chip KV000001 with the default bench's devices and a display
// controller at 0x3c.
inline constexpr char kToolBench[] =
    "chip serial=KV000001\n"
    "  eeprom addr7=50 size=256 pattern=index\n"
    "  smbus addr7=0b registers=256 block=4 pec=on pattern=index\n"
    "  display addr7=3c\n";

class ToolProcessTest : public CliProcessTest {
protected:
    // Runs with --json, expects success with nothing on standard error, and
    // parses standard output (null when it is no JSON).
    nlohmann::json RunJson(const std::vector<std::string>& args) {
        std::vector<std::string> withJson{"--json"};
        withJson.insert(withJson.end(), args.begin(), args.end());
        const ProgramRun run = Run(withJson);
        EXPECT_EQ(run.status, kSuccess) << run.err;
        EXPECT_EQ(run.err, "");
        return nlohmann::json::parse(run.out, nullptr, false);
    }

    // A run that failed with status: its message on standard error starts
    // with "kelvane: " and holds `message`.
    void ExpectFailure(const ProgramRun& run, int status, const std::string& message) {
        EXPECT_EQ(run.status, status) << run.out;
        EXPECT_EQ(run.err.rfind("kelvane: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
};

}  // namespace kelvane::testing
