#include "config/apply_config.h"

#include <algorithm>
#include <array>
#include <functional>
#include <set>

#include "common/chip_text.h"
#include "common/failure.h"
#include "config/chip_config.h"

namespace kelvane::tool {
namespace {

constexpr int kBoth = 2;  // runtime settings first, then flash
constexpr int kLockedState = 2;
constexpr int kPasswordState = 1;

std::int64_t Integer(const Config& config, const std::string& name) {
    return std::get<std::int64_t>(config.at(name));
}

bool Flag(const Config& config, const std::string& name) {
    return std::get<bool>(config.at(name));
}

const std::string& Text(const Config& config, const std::string& name) {
    return std::get<std::string>(config.at(name));
}

std::string PinKey(int pin, const char* field) {
    return "pins.gp" + std::to_string(pin) + "." + field;
}

// One setter of the library and the keys it writes.
struct Setter {
    std::vector<std::string> keys;
    std::function<int(const Library&, const Config&)> write;
};

// A setter of one key, whose value it takes as it stands in the file: a
// string, an integer, or a flag (1 or 0).
template <auto kSet>
Setter StringSetter(const char* key) {
    return {{key}, [key](const Library& l, const Config& c) {
                const auto chipText = ChipFromUtf8(Text(c, key));  // checked when the file was read
                return chipText ? (l.*kSet)(chipText->c_str()) : KELVANE_E_ARGUMENT_1;
            }};
}

template <auto kSet>
Setter IntegerSetter(const char* key) {
    return {{key}, [key](const Library& l, const Config& c) { return (l.*kSet)(static_cast<int>(Integer(c, key))); }};
}

template <auto kSet>
Setter FlagSetter(const char* key) {
    return {{key}, [key](const Library& l, const Config& c) { return (l.*kSet)(Flag(c, key) ? 1 : 0); }};
}

std::vector<Setter> Setters() {
    std::vector<std::string> pinKeys;
    for (int pin = 0; pin < 4; ++pin) {
        for (const char* field : {"designation", "direction", "value"}) {
            pinKeys.push_back(PinKey(pin, field));
        }
    }
    return {
        StringSetter<&Library::SetUsbStringManufacturer>("usb.manufacturer"),
        StringSetter<&Library::SetUsbStringDescriptor>("usb.product"),
        StringSetter<&Library::SetSerialNumber>("usb.serial"),
        FlagSetter<&Library::SetSerialNumberEnumerationEnable>("usb.serial_enumeration"),
        // The power source replaces the whole attributes byte, remote
        // wake-up included: wake-up is written after it.
        {{"usb.power"},
         [](const Library& l, const Config& c) { return l.SetUsbPowerSource(Text(c, "usb.power") == "self" ? 1 : 0); }},
        IntegerSetter<&Library::SetUsbCurrentRequirement>("usb.current_ma"),
        FlagSetter<&Library::SetUsbRemoteWakeupEnable>("usb.remote_wakeup"),
        {pinKeys,
         [](const Library& l, const Config& c) {
             std::array<unsigned char, 4> designation{};
             std::array<unsigned char, 4> direction{};
             std::array<unsigned char, 4> value{};
             for (int pin = 0; pin < 4; ++pin) {
                 const auto p = static_cast<std::size_t>(pin);
                 designation[p] = static_cast<unsigned char>(Integer(c, PinKey(pin, "designation")));
                 direction[p] = Text(c, PinKey(pin, "direction")) == "in" ? 1 : 0;
                 value[p] = static_cast<unsigned char>(Integer(c, PinKey(pin, "value")));
             }
             return l.SetGpPinConfiguration(kBoth, designation.data(), direction.data(), value.data());
         }},
        IntegerSetter<&Library::SetInitialPinValueLedUartRx>("initial.led_uart_rx"),
        IntegerSetter<&Library::SetInitialPinValueLedUartTx>("initial.led_uart_tx"),
        IntegerSetter<&Library::SetInitialPinValueLedI2c>("initial.led_i2c"),
        IntegerSetter<&Library::SetInitialPinValueSspnd>("initial.sspnd"),
        IntegerSetter<&Library::SetInitialPinValueUsbcfg>("initial.usbcfg"),
        {{"interrupt.mode"},
         [](const Library& l, const Config& c) {
             return l.SetInterruptPinMode(kBoth, static_cast<int>(Integer(c, "interrupt.mode")));
         }},
        {{"clock.divider", "clock.duty_cycle"},
         [](const Library& l, const Config& c) {
             return l.SetClockPinConfiguration(kBoth, static_cast<int>(Integer(c, "clock.divider")),
                                               static_cast<int>(Integer(c, "clock.duty_cycle")));
         }},
        IntegerSetter<&Library::SetDacVoltageReference>("dac.reference"),
        IntegerSetter<&Library::SetDacValue>("dac.value"),
        IntegerSetter<&Library::SetAdcVoltageReference>("adc.reference"),
        // Last of the flash settings: the chip takes the new identifiers
        // when it is reset.
        {{"usb.vendor_id", "usb.product_id"},
         [](const Library& l, const Config& c) {
             return l.SetUsbVidPid(static_cast<unsigned short>(Integer(c, "usb.vendor_id")),
                                   static_cast<unsigned short>(Integer(c, "usb.product_id")));
         }},
    };
}

bool IsRuntimeOnly(const std::string& key) {
    return key.starts_with("dac.") || key.starts_with("adc.");
}

[[noreturn]] void CannotWrite(const std::string& key, const std::string& why) {
    throw UsageError("config apply: " + key + " cannot be written: " + why);
}

// Refuses the changes that no setter can make.
void CheckWritable(const std::set<std::string>& changed, const Config& desired) {
    auto changes = [&](const std::string& prefix) {
        for (const std::string& key : changed) {
            if (key.starts_with(prefix)) {
                return true;
            }
        }
        return false;
    };
    if (changed.count("usb.power") != 0 && Text(desired, "usb.power") == "none") {
        CannotWrite("usb.power", "the power source is \"bus\" or \"self\"");
    }
    if (changed.count("usb.current_ma") != 0) {
        const std::int64_t current = Integer(desired, "usb.current_ma");
        if (current < 100 || current > 500 || current % 2 != 0) {
            CannotWrite("usb.current_ma", "the current is an even number of mA from 100 to 500");
        }
    }
    if (changes("pins.")) {
        for (int pin = 0; pin < 4; ++pin) {
            if (Integer(desired, PinKey(pin, "designation")) > 4) {
                CannotWrite(PinKey(pin, "designation"), "the pins are written together, with designations 0 to 4");
            }
        }
    }
    if (changed.count("interrupt.mode") != 0 && Integer(desired, "interrupt.mode") == 0) {
        CannotWrite("interrupt.mode", "modes 1 to 3 can be set, 0 cannot");
    }
    if (changes("clock.") && Integer(desired, "clock.divider") == 0) {
        CannotWrite("clock.divider", "dividers 1 to 7 can be set, 0 cannot");
    }
}

// What the protection part of the file asks for: nothing, a password, off,
// or the lock.
enum class ProtectionChange { kNone, kPassword, kOff, kLock };

ProtectionChange PlanProtection(const Config& file, const std::string& current, const ApplyOptions& options) {
    const auto stateKey = file.find(kProtectionState);
    const bool hasPassword = file.count(kProtectionPassword) != 0;
    const std::string wanted =
        stateKey != file.end() ? std::get<std::string>(stateKey->second) : (hasPassword ? "password" : current);
    if (hasPassword && wanted != "password") {
        throw UsageError(std::string("config apply: ") + kProtectionPassword + " goes with " + kProtectionState +
                         " = \"password\"");
    }
    if (hasPassword) {
        return ProtectionChange::kPassword;
    }
    if (wanted == current) {
        return ProtectionChange::kNone;
    }
    if (wanted == "password") {
        throw UsageError(std::string("config apply: ") + kProtectionState + " = \"password\" on a chip that is " +
                         current + " needs " + kProtectionPassword + ", the password to set");
    }
    if (wanted == "locked") {
        if (!options.yesLock) {
            throw UsageError(
                "config apply: the file locks the chip's flash settings for good; give --yes-lock to "
                "do that");
        }
        return ProtectionChange::kLock;
    }
    if (wanted == "unprotected") {
        return ProtectionChange::kOff;
    }
    throw UsageError(std::string("config apply: ") + kProtectionState + " cannot be set to \"" + wanted + "\"");
}

std::string Differences(const Config& wanted, const Config& read) {
    std::string text;
    for (const ConfigKey& key : ConfigKeys()) {
        const auto w = wanted.find(key.name);
        const auto r = read.find(key.name);
        if (!key.exported || std::string_view(key.name) == kProtectionState || w == wanted.end() || r == read.end() ||
            w->second == r->second) {
            continue;
        }
        text += std::string(text.empty() ? "" : "; ") + key.name + " reads " + ValueText(key, r->second) + ", not " +
                ValueText(key, w->second);
    }
    return text;
}

}  // namespace

ApplyOutcome ApplyConfig(const Library& library, const Config& file, const ApplyOptions& options) {
    ApplyOutcome outcome;
    const int state = library.GetFlashProtectionState();
    if (state < 0) {
        throw Failure("config apply: reading the protection state", state);
    }
    if (state == kLockedState) {
        outcome.status = ApplyOutcome::Status::kLocked;
        return outcome;
    }

    const Config current = ReadChipConfig(library);
    Config desired = current;
    for (const auto& [name, value] : file) {
        if (name != kProtectionPassword && name != kProtectionState) {
            desired[name] = value;
        }
    }
    std::set<std::string> changed;
    for (const auto& [name, value] : desired) {
        if (name != kProtectionState && current.at(name) != value) {
            changed.insert(name);
        }
    }
    // A new power source clears remote wake-up: it is written again.
    if (changed.count("usb.power") != 0 && Flag(desired, "usb.remote_wakeup")) {
        changed.insert("usb.remote_wakeup");
    }
    CheckWritable(changed, desired);
    const ProtectionChange protection = PlanProtection(file, Text(current, kProtectionState), options);

    const bool flashChanges =
        protection != ProtectionChange::kNone ||
        std::any_of(changed.begin(), changed.end(), [](const std::string& key) { return !IsRuntimeOnly(key); });
    if (state == kPasswordState && flashChanges) {
        if (!options.password) {
            throw Failure("config apply: the chip is password-protected: give its password with --password");
        }
        Check(library.EnterAccessPassword(options.password->c_str()), "config apply: entering the access password");
    }

    for (const Setter& setter : Setters()) {
        const bool writes = std::any_of(setter.keys.begin(), setter.keys.end(),
                                        [&](const std::string& key) { return changed.count(key) != 0; });
        if (!writes) {
            continue;
        }
        std::string keys;
        for (const std::string& key : setter.keys) {
            if (changed.count(key) != 0) {
                outcome.changed.push_back(key);
                keys += (keys.empty() ? "" : ", ") + key;
                if (options.writing) {
                    options.writing(key);
                }
            }
        }
        Check(setter.write(library, desired), "config apply: writing " + keys);
    }
    outcome.resetNeeded = changed.count("usb.vendor_id") != 0 || changed.count("usb.product_id") != 0;

    const std::string differences = Differences(desired, ReadChipConfig(library));
    if (!differences.empty()) {
        throw Failure("config apply: read back: " + differences);
    }

    switch (protection) {
        case ProtectionChange::kNone: break;
        case ProtectionChange::kPassword:
            Check(library.SetFlashPasswordProtection(Text(file, kProtectionPassword).c_str()),
                  "config apply: setting the password");
            break;
        case ProtectionChange::kOff:
            Check(library.SetFlashProtectionOff(), "config apply: turning the protection off");
            break;
        case ProtectionChange::kLock:
            Check(library.SetFlashPermanentLock(), "config apply: locking the flash settings");
            break;
    }
    if (protection != ProtectionChange::kNone) {
        outcome.changed.push_back(kProtectionState);
        outcome.resetNeeded = true;
    }
    outcome.status = outcome.changed.empty() ? ApplyOutcome::Status::kUnchanged : ApplyOutcome::Status::kApplied;
    return outcome;
}

}  // namespace kelvane::tool
