#include "serve/api/command_bodies.h"

#include <cstdio>

#include "serve/api/request_body.h"

namespace kelvane::tool::serve {
namespace {

constexpr std::int64_t kSlowest = 48000;
constexpr std::int64_t kFastest = 400000;
// i2ctransfer's words: at most 42 messages, each with its data bytes; a
// write's bytes may also be given one word each.
constexpr std::size_t kMostTransferWords = 4096;
constexpr std::size_t kLargestConfigText = 64 * 1024;

const std::initializer_list<const char*> kModes = {"b", "bp", "w", "wp", "s", "sp", "i"};

std::string Number(std::int64_t value) {
    return std::to_string(value);
}

// "speed" and "all" (the addresses outside 0x08-0x77), which the bus
// subcommands share.
void BusOptions(BodyReader& body, CommandCall& call, std::vector<std::string>& flags) {
    if (const auto speed = body.Integer("speed", kSlowest, kFastest)) {
        call.extras.speed = static_cast<std::uint32_t>(*speed);
    }
    if (body.Bool("all").value_or(false)) {
        flags.push_back("-a");
    }
}

void Detect(BodyReader& body, CommandCall& call) {
    std::vector<std::string>& args = call.subcommand;
    args.push_back("detect");
    BusOptions(body, call, args);
    const std::string probe = body.Choice("probe", {"auto", "write", "read"}).value_or("auto");
    if (probe != "auto") {
        args.push_back(probe == "write" ? "-q" : "-r");
    }
    const auto first = body.Integer("first", 0, 0x7F);
    const auto last = body.Integer("last", 0, 0x7F);
    if (first.has_value() != last.has_value()) {
        throw BadRequest("\"first\" and \"last\" go together");
    }
    if (first) {
        args.insert(args.end(), {Number(*first), Number(*last)});
    }
}

void Get(BodyReader& body, CommandCall& call) {
    std::vector<std::string>& args = call.subcommand;
    args.push_back("get");
    BusOptions(body, call, args);
    const auto address = body.Integer("address", 0, 0x7F);
    const auto reg = body.Integer("register", 0, 0xFF);
    const auto mode = body.Choice("mode", kModes);
    const auto length = body.Integer("length", 1, 32);
    if (!address) {
        throw BadRequest("\"address\" is needed");
    }
    if (mode && !reg) {
        throw BadRequest("\"mode\" goes with \"register\"");
    }
    if (length && mode != "i") {
        throw BadRequest("\"length\" goes with mode \"i\"");
    }
    args.insert(args.end(), {"--", Number(*address)});
    if (reg) {
        args.push_back(Number(*reg));
    }
    if (mode) {
        args.push_back(*mode);
    }
    if (length) {
        args.push_back(Number(*length));
    }
}

void Set(BodyReader& body, CommandCall& call) {
    std::vector<std::string>& args = call.subcommand;
    args.push_back("set");
    BusOptions(body, call, args);
    const auto address = body.Integer("address", 0, 0x7F);
    const auto reg = body.Integer("register", 0, 0xFF);
    const auto values = body.Integers("values", 32, 0, 0xFFFF);
    const auto mode = body.Choice("mode", kModes);
    if (const auto mask = body.Integer("mask", 1, 0xFFFF)) {
        args.insert(args.end(), {"-m", Number(*mask)});
    }
    if (body.Bool("read_back").value_or(false)) {
        args.push_back("-r");
    }
    if (!address || !reg) {
        throw BadRequest("\"address\" and \"register\" are needed");
    }
    args.insert(args.end(), {"--", Number(*address), Number(*reg)});
    for (const std::int64_t value : values.value_or(std::vector<std::int64_t>{})) {
        args.push_back(Number(value));
    }
    if (mode) {
        if (!values || values->empty()) {
            throw BadRequest("\"mode\" goes with \"values\"");
        }
        args.push_back(*mode);
    }
}

void Dump(BodyReader& body, CommandCall& call) {
    std::vector<std::string>& args = call.subcommand;
    args.push_back("dump");
    BusOptions(body, call, args);
    const auto address = body.Integer("address", 0, 0x7F);
    const auto mode = body.Choice("mode", kModes);
    const auto first = body.Integer("first", 0, 0xFF);
    const auto last = body.Integer("last", 0, 0xFF);
    if (!address) {
        throw BadRequest("\"address\" is needed");
    }
    if (first.has_value() != last.has_value()) {
        throw BadRequest("\"first\" and \"last\" go together");
    }
    if (first) {
        args.insert(args.end(), {"-r", Number(*first) + "-" + Number(*last)});
    }
    args.insert(args.end(), {"--", Number(*address)});
    if (mode) {
        args.push_back(*mode);
    }
}

void Transfer(BodyReader& body, CommandCall& call) {
    std::vector<std::string>& args = call.subcommand;
    args.push_back("transfer");
    BusOptions(body, call, args);
    if (body.Bool("allow_stop").value_or(false)) {
        args.push_back("--allow-stop");
    }
    const auto words = body.Strings("messages", kMostTransferWords, 32);
    if (!words || words->empty()) {
        throw BadRequest("\"messages\" is needed: i2ctransfer's words, such as [\"w1@0x50\", \"0x00\", \"r8\"]");
    }
    args.push_back("--");
    args.insert(args.end(), words->begin(), words->end());
}

void Gpio(BodyReader& body, CommandCall& call) {
    std::vector<std::string>& args = call.subcommand;
    args.push_back("gpio");
    const auto pin = body.Integer("pin", 0, 3);
    const auto direction = body.Choice("direction", {"in", "out"});
    const auto level = body.Integer("level", 0, 1);
    if (direction && !pin) {
        throw BadRequest("\"direction\" goes with \"pin\"");
    }
    if (level && direction != "out") {
        throw BadRequest("\"level\" goes with direction \"out\"");
    }
    if (pin) {
        args.push_back(Number(*pin));
    }
    if (direction) {
        args.push_back(*direction);
    }
    if (level) {
        args.push_back(Number(*level));
    }
}

void Analog(const char* name, BodyReader& body, CommandCall& call, bool dac) {
    std::vector<std::string>& args = call.subcommand;
    args.push_back(name);
    if (const auto reference = body.Integer("reference", 0, 3)) {
        args.push_back("--reference=" + Number(*reference));
    }
    if (const auto supply = body.Number("supply", 0.0, 100.0)) {
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", *supply);
        args.push_back(std::string("--supply=") + text);
    }
    if (dac) {
        if (const auto value = body.Integer("value", 0, 31)) {
            args.insert(args.end(), {"--", Number(*value)});
        }
    }
}

// The configuration of an apply: "config" (JSON sections) or "toml" (the
// file's text), one of them.
void ConfigFile(BodyReader& body, CommandCall& call) {
    const nlohmann::json* config = body.Object("config");
    const auto toml = body.String("toml", kLargestConfigText);
    if ((config != nullptr) == toml.has_value()) {
        throw BadRequest("give the configuration as \"config\" (JSON) or as \"toml\" (the file's text)");
    }
    call.extras.files.Put(kRequestFile, config != nullptr ? ConfigTomlFromJson(*config) : *toml);
}

void ApplyOptions(BodyReader& body, CommandCall& call) {
    if (const auto password = body.String("password", 64)) {
        call.subcommand.push_back("--password=" + *password);
    }
    if (body.Bool("reset").value_or(false)) {
        call.subcommand.push_back("--reset");
    }
}

void ConfigApply(BodyReader& body, CommandCall& call) {
    call.subcommand = {"config", "apply"};
    ConfigFile(body, call);
    ApplyOptions(body, call);
    const bool lock = body.Bool("yes_lock").value_or(false);
    const auto confirm = body.String("confirm", 256);
    if (lock) {
        if (!confirm) {
            throw BadRequest("the lock needs \"confirm\": the chip's serial number");
        }
        call.extras.confirmSerial = *confirm;
        call.subcommand.push_back("--yes-lock");
    }
    call.subcommand.insert(call.subcommand.end(), {"--", kRequestFile});
}

std::string TomlString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// TOML's bare keys: letters, digits, - and _; anything else is quoted.
std::string TomlKey(const std::string& key) {
    const bool bare = !key.empty() && key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                            "0123456789-_") == std::string::npos;
    return bare ? key : TomlString(key);
}

void TomlLines(const nlohmann::json& object, const std::string& prefix, int depth, std::string& text) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::string key = prefix + TomlKey(it.key());
        const nlohmann::json& value = it.value();
        if (value.is_object()) {
            if (depth >= 3) {
                throw BadRequest("\"config\" is nested deeper than any configuration");
            }
            TomlLines(value, key + ".", depth + 1, text);
        } else if (value.is_boolean()) {
            text += key + " = " + (value.get<bool>() ? "true" : "false") + "\n";
        } else if (value.is_number_integer()) {
            text += key + " = " + value.dump() + "\n";
        } else if (value.is_string()) {
            text += key + " = " + TomlString(value.get<std::string>()) + "\n";
        } else {
            throw BadRequest("\"config\": " + key + " must be an integer, true or false, or a string");
        }
    }
}

}  // namespace

std::string ConfigTomlFromJson(const nlohmann::json& config) {
    std::string text;
    TomlLines(config, "", 1, text);
    if (text.size() > kLargestConfigText) {
        throw BadRequest("\"config\" is larger than any configuration");
    }
    return text;
}

bool ChipCommand(const std::string& action, const nlohmann::json& json, CommandCall& call) {
    BodyReader body(json);
    if (action == "detect") {
        Detect(body, call);
    } else if (action == "get") {
        Get(body, call);
    } else if (action == "set") {
        Set(body, call);
    } else if (action == "dump") {
        Dump(body, call);
    } else if (action == "transfer") {
        Transfer(body, call);
    } else if (action == "gpio") {
        Gpio(body, call);
    } else if (action == "adc") {
        Analog("adc", body, call, false);
    } else if (action == "dac") {
        Analog("dac", body, call, true);
    } else if (action == "reset") {
        call.subcommand = {"reset"};
    } else if (action == "config/show") {
        call.subcommand = {"config", "show"};
    } else if (action == "config/export") {
        call.subcommand = {"config", "export", "--", "chip.toml"};
        call.extras.fileOut = "chip.toml";
    } else if (action == "config/apply") {
        ConfigApply(body, call);
    } else {
        return false;
    }
    body.Finish();
    return true;
}

CommandCall BatchApply(const nlohmann::json& json) {
    BodyReader body(json);
    CommandCall call;
    call.subcommand = {"config", "apply", "--all"};
    ConfigFile(body, call);
    ApplyOptions(body, call);
    if (const auto pattern = body.String("serial_pattern", 256)) {
        call.subcommand.push_back("--serial-pattern=" + *pattern);
    }
    if (const auto start = body.Integer("start", 0, UINT32_MAX)) {
        call.subcommand.push_back("--start=" + Number(*start));
    }
    // The file's own serial number on every chip: only when asked for.
    if (body.Bool("same_serial").value_or(false)) {
        call.subcommand.push_back("--same-serial");
    }
    if (body.Bool("yes_lock").value_or(false)) {
        throw BadRequest("the lock is applied to one chip at a time");
    }
    body.Finish();
    call.subcommand.insert(call.subcommand.end(), {"--", kRequestFile});
    return call;
}

}  // namespace kelvane::tool::serve
