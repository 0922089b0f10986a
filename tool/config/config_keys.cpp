#include "config/config_keys.h"

#include "common/chip_text.h"
#include "common/failure.h"

namespace kelvane::tool {
namespace {

using Type = ConfigKey::Type;

constexpr const char* kPowerChoices[] = {"bus", "self", "none", nullptr};
constexpr const char* kDirectionChoices[] = {"in", "out", nullptr};
constexpr const char* kProtectionChoices[] = {"unprotected", "password", "locked", "unknown", nullptr};

constexpr std::int64_t kChipString = 30;
constexpr std::int64_t kPasswordBytes = 8;

constexpr char kPinsComment[] =
    "power-up configuration of GP0 to GP3: designation 0 = GPIO, 1 to 4 the pin's other functions; direction "
    "\"in\" or \"out\"; the output value 0 or 1";

// The three keys of a pin.
// clang-format off
#define KELVANE_PIN_KEYS(pin, comment)                                                               \
    {"pins.gp" #pin ".designation", Type::kInteger, 0, 7, nullptr, false, comment, true},            \
    {"pins.gp" #pin ".direction", Type::kString, 0, 0, kDirectionChoices, false, nullptr, true},     \
    {"pins.gp" #pin ".value", Type::kInteger, 0, 1, nullptr, false, nullptr, true}
// clang-format on

const std::vector<ConfigKey> kKeys = {
    {"usb.vendor_id", Type::kInteger, 0, 0xFFFF, nullptr, true,
     "USB identifiers, which the chip takes when it is reset", true},
    {"usb.product_id", Type::kInteger, 0, 0xFFFF, nullptr, true, nullptr, true},
    {"usb.manufacturer", Type::kString, 0, kChipString, nullptr, false,
     "USB strings, at most 30 UTF-16 characters each", true},
    {"usb.product", Type::kString, 0, kChipString, nullptr, false, nullptr, true},
    {"usb.serial", Type::kString, 0, kChipString, nullptr, false,
     "this chip's serial number; config apply --all refuses a file with this key unless --serial-pattern gives "
     "each chip its own number (or --same-serial this one to all); leave it out to keep each chip's own",
     true},
    {"usb.serial_enumeration", Type::kBool, 0, 1, nullptr, false, "whether the chip presents its serial number on USB",
     true},
    {"usb.power", Type::kString, 0, 0, kPowerChoices, false, "power source: \"bus\" or \"self\"", true},
    {"usb.current_ma", Type::kInteger, 0, 510, nullptr, false, "current requirement in mA: even, 100 to 500", true},
    {"usb.remote_wakeup", Type::kBool, 0, 1, nullptr, false, nullptr, true},
    KELVANE_PIN_KEYS(0, kPinsComment),
    KELVANE_PIN_KEYS(1, nullptr),
    KELVANE_PIN_KEYS(2, nullptr),
    KELVANE_PIN_KEYS(3, nullptr),
    {"initial.led_uart_rx", Type::kInteger, 0, 1, nullptr, false,
     "power-up level (0 or 1) of the dedicated outputs LED UART RX, LED UART TX, LED I2C, SSPND, USBCFG", true},
    {"initial.led_uart_tx", Type::kInteger, 0, 1, nullptr, false, nullptr, true},
    {"initial.led_i2c", Type::kInteger, 0, 1, nullptr, false, nullptr, true},
    {"initial.sspnd", Type::kInteger, 0, 1, nullptr, false, nullptr, true},
    {"initial.usbcfg", Type::kInteger, 0, 1, nullptr, false, nullptr, true},
    {"interrupt.mode", Type::kInteger, 0, 3, nullptr, false, "interrupt pin mode, 1 to 3 (0 cannot be set)", true},
    {"clock.divider", Type::kInteger, 0, 7, nullptr, false,
     "clock output: divider code 1 to 7 (0 cannot be set), duty-cycle code 0 to 3", true},
    {"clock.duty_cycle", Type::kInteger, 0, 3, nullptr, false, nullptr, true},
    {"dac.reference", Type::kInteger, 0, 3, nullptr, false,
     "DAC and ADC, in the runtime settings only: voltage reference 0 (the supply), 1 (1.024 volts), 2 (2.048 "
     "volts) or 3 (4.096 volts); DAC value 0 to 31",
     true},
    {"dac.value", Type::kInteger, 0, 31, nullptr, false, nullptr, true},
    {"adc.reference", Type::kInteger, 0, 3, nullptr, false, nullptr, true},
    {kProtectionState, Type::kString, 0, 0, kProtectionChoices, false,
     "flash protection, as the chip works now: \"unprotected\", \"password\" (with password = \"<8 bytes>\" "
     "to set one) or \"locked\" (for good, only with config apply --yes-lock); a change takes "
     "effect when the chip is reset",
     true},
    {kProtectionPassword, Type::kString, kPasswordBytes, kPasswordBytes, nullptr, false, nullptr, false},
};

#undef KELVANE_PIN_KEYS

bool IsChoice(const char* const* choices, const std::string& text) {
    for (const char* const* choice = choices; *choice != nullptr; ++choice) {
        if (text == *choice) {
            return true;
        }
    }
    return false;
}

std::string ChoicesText(const char* const* choices) {
    std::string text;
    for (const char* const* choice = choices; *choice != nullptr; ++choice) {
        text += std::string(text.empty() ? "" : ", ") + "\"" + *choice + "\"";
    }
    return text;
}

}  // namespace

const std::vector<ConfigKey>& ConfigKeys() {
    return kKeys;
}

const ConfigKey* FindConfigKey(std::string_view name) {
    for (const ConfigKey& key : kKeys) {
        if (name == key.name) {
            return &key;
        }
    }
    return nullptr;
}

std::string ValueText(const ConfigKey& key, const ConfigValue& value) {
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return key.hex ? Hex4(static_cast<unsigned>(*integer)) : std::to_string(*integer);
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? "true" : "false";
    }
    return "\"" + std::get<std::string>(value) + "\"";
}

std::string CheckValue(const ConfigKey& key, const ConfigValue& value) {
    switch (key.type) {
        case Type::kInteger: {
            const auto* integer = std::get_if<std::int64_t>(&value);
            if (integer == nullptr) {
                return "an integer is needed";
            }
            if (*integer < key.min || *integer > key.max) {
                return "must be from " + std::to_string(key.min) + " to " + std::to_string(key.max);
            }
            return {};
        }
        case Type::kBool: return std::holds_alternative<bool>(value) ? std::string() : "true or false is needed";
        case Type::kString: {
            const auto* text = std::get_if<std::string>(&value);
            if (text == nullptr) {
                return "a string is needed";
            }
            if (key.choices != nullptr) {
                return IsChoice(key.choices, *text) ? std::string() : "must be one of " + ChoicesText(key.choices);
            }
            if (key.min > 0) {
                // The password: bytes, as the chip takes them.
                return text->size() == static_cast<std::size_t>(key.min)
                           ? std::string()
                           : "must be " + std::to_string(key.min) + " bytes long (the chip keeps " +
                                 std::to_string(key.min) + ")";
            }
            const std::optional<std::size_t> units = Utf16Length(*text);
            if (!units) {
                return "is not UTF-8";
            }
            if (*units > static_cast<std::size_t>(key.max)) {
                return "has " + std::to_string(*units) + " UTF-16 characters, at most " + std::to_string(key.max) +
                       " fit";
            }
            return {};
        }
    }
    return {};
}

nlohmann::json ConfigJson(const Config& config) {
    nlohmann::json document = nlohmann::json::object();
    for (const ConfigKey& key : kKeys) {
        const auto found = config.find(key.name);
        if (found == config.end()) {
            continue;
        }
        nlohmann::json* at = &document;
        std::string_view rest = key.name;
        for (std::size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
            at = &(*at)[std::string(rest.substr(0, dot))];
            rest.remove_prefix(dot + 1);
        }
        std::visit([&](const auto& value) { (*at)[std::string(rest)] = value; }, found->second);
    }
    return document;
}

}  // namespace kelvane::tool
