// The bodies of the API's subcommand calls, made into the subcommand's
// arguments: each member has its type and range checked here (400 for a
// body that does not fit), and the subcommand checks the arguments again as
// it checks a command line. Numbers are written by the server, words such
// as modes and directions are taken from fixed lists, and free strings from
// a body go after "--" (i2ctransfer's words) or in an option's
// "--name=value" form, so that no member can become an option of its own.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "serve/api/chip_calls.h"

namespace kelvane::tool::serve {

struct CommandCall {
    std::vector<std::string> subcommand;
    CallExtras extras;
};

// action: "detect", "get", "set", "dump", "transfer", "gpio", "adc",
// "dac", "reset", "config/show", "config/export", "config/apply"; false when
// there is no such action. BadRequest for a body that does not fit.
bool ChipCommand(const std::string& action, const nlohmann::json& body, CommandCall& call);

// POST /api/config/apply: `config apply --all` with the file of the body.
CommandCall BatchApply(const nlohmann::json& body);

// The TOML text of a configuration given as JSON sections
// ({"usb": {"product": "x"}, "pins": {"gp1": {"direction": "out"}}}): the
// configuration reader checks its keys, types and ranges then. BadRequest
// for values that TOML cannot hold here (null, arrays, fractions).
std::string ConfigTomlFromJson(const nlohmann::json& config);

// The name of the configuration file that an apply reads.
inline constexpr char kRequestFile[] = "request.toml";

}  // namespace kelvane::tool::serve
