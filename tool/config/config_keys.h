// The chip's configuration as the configuration file holds it: a value per
// key ("usb.product", "pins.gp2.designation", ...), and the table of the
// keys with their types, ranges and comments. The keys' order is the
// file's order and the order in which `config apply` writes them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

namespace kelvane::tool {

using ConfigValue = std::variant<std::int64_t, bool, std::string>;
// The keys a file or a chip gives; a file may leave keys out.
using Config = std::map<std::string, ConfigValue, std::less<>>;

struct ConfigKey {
    enum class Type { kInteger, kBool, kString };
    const char* name;  // dotted: "<section>.<key>"
    Type type;
    // Integers: the range a chip reports. Strings: the most UTF-16 units in
    // max, or for the password (min above 0) its length in bytes.
    std::int64_t min;
    std::int64_t max;
    // Strings that must be one of these (null-terminated list), or null.
    const char* const* choices;
    // Integers written as 0x... in the file.
    bool hex;
    // A comment line above the key in an exported file, or null.
    const char* comment;
    // False for keys that only a file gives (the new password).
    bool exported;
};

// Every key, in file order.
const std::vector<ConfigKey>& ConfigKeys();
// The key of that name, or null.
const ConfigKey* FindConfigKey(std::string_view name);

// The value as the file writes it ("0x1209", "true", "\"text\"" is left to
// the TOML writer: strings come back bare here), for messages.
std::string ValueText(const ConfigKey& key, const ConfigValue& value);

// Whether a value fits its key (type, range, choices); else the reason.
std::string CheckValue(const ConfigKey& key, const ConfigValue& value);

// The configuration as a JSON object with a member per section:
// {"usb": {"vendor_id": 4617, ...}, "pins": {"gp0": {...}}, ...}.
nlohmann::json ConfigJson(const Config& config);

// Key names of the protection section, which `config apply` treats apart.
inline constexpr char kProtectionState[] = "protection.state";
inline constexpr char kProtectionPassword[] = "protection.password";

}  // namespace kelvane::tool
