#include "config/chip_config.h"

#include <array>

#include "common/chip_text.h"
#include "common/failure.h"

namespace kelvane::tool {
namespace {

constexpr int kFlash = 1;

class Reader {
public:
    explicit Reader(Config& config) : config_(config) {}

    // A getter's result: the value, or a negative code.
    void Integer(const char* name, long long result) {
        if (result < 0) {
            throw Failure(std::string("config: reading ") + name, static_cast<int>(result));
        }
        Put(name, static_cast<std::int64_t>(result));
    }

    void Flag(const char* name, int result) {
        if (result < 0) {
            throw Failure(std::string("config: reading ") + name, result);
        }
        if (result > 1) {
            throw Failure(std::string("config: the chip's ") + name + " reads " + std::to_string(result) +
                          ", not 0 or 1");
        }
        Put(name, result == 1);
    }

    void Text(const char* name, decltype(&::GetSerialNumber) get) {
        ChipStringBuffer buffer{};
        Check(get(buffer.data()), std::string("config: reading ") + name);
        Put(name, Utf8FromChip(buffer));
    }

    void Put(const char* name, ConfigValue value) {
        const ConfigKey* key = FindConfigKey(name);
        const std::string problem = CheckValue(*key, value);
        if (!problem.empty()) {
            throw Failure(std::string("config: the chip's ") + name + " " + ValueText(*key, value) + " " + problem);
        }
        config_[name] = std::move(value);
    }

private:
    Config& config_;
};

const char* PowerName(int source) {
    switch (source) {
        case 0: return "bus";
        case 1: return "self";
        default: return "none";
    }
}

const char* ProtectionName(int state) {
    switch (state) {
        case 0: return "unprotected";
        case 1: return "password";
        case 2: return "locked";
        default: return "unknown";
    }
}

}  // namespace

Config ReadChipConfig(const Library& library) {
    Config config;
    Reader read(config);
    read.Integer("usb.vendor_id", library.GetUsbVid());
    read.Integer("usb.product_id", library.GetUsbPid());
    read.Text("usb.manufacturer", library.GetUsbStringManufacturer);
    read.Text("usb.product", library.GetUsbStringDescriptor);
    read.Text("usb.serial", library.GetSerialNumber);
    read.Flag("usb.serial_enumeration", library.GetSerialNumberEnumerationEnable());
    const int power = library.GetUsbPowerSource();
    if (power < 0 && power != KELVANE_E_NO_POWER_SOURCE) {
        read.Integer("usb.power", power);
    }
    read.Put("usb.power", std::string(PowerName(power)));
    read.Integer("usb.current_ma", library.GetUsbCurrentRequirement());
    read.Flag("usb.remote_wakeup", library.GetUsbRemoteWakeupEnable());

    std::array<unsigned char, 4> designation{};
    std::array<unsigned char, 4> direction{};
    std::array<unsigned char, 4> value{};
    Check(library.GetGpPinConfiguration(kFlash, designation.data(), direction.data(), value.data()),
          "config: reading the pins' power-up configuration");
    for (std::size_t pin = 0; pin < 4; ++pin) {
        const std::string prefix = "pins.gp" + std::to_string(pin) + ".";
        read.Integer((prefix + "designation").c_str(), designation[pin]);
        read.Put((prefix + "direction").c_str(), std::string(direction[pin] != 0 ? "in" : "out"));
        read.Integer((prefix + "value").c_str(), value[pin]);
    }

    read.Integer("initial.led_uart_rx", library.GetInitialPinValueLedUartRx());
    read.Integer("initial.led_uart_tx", library.GetInitialPinValueLedUartTx());
    read.Integer("initial.led_i2c", library.GetInitialPinValueLedI2c());
    read.Integer("initial.sspnd", library.GetInitialPinValueSspnd());
    read.Integer("initial.usbcfg", library.GetInitialPinValueUsbcfg());
    read.Integer("interrupt.mode", library.GetInterruptPinMode(kFlash));
    read.Integer("clock.divider", library.GetClockPinDividerValue(kFlash));
    read.Integer("clock.duty_cycle", library.GetClockPinDutyCycle(kFlash));
    read.Integer("dac.reference", library.GetDacVoltageReference());
    read.Integer("dac.value", library.GetDacValue());
    read.Integer("adc.reference", library.GetAdcVoltageReference());
    const int protection = library.GetFlashProtectionState();
    if (protection < 0) {
        read.Integer(kProtectionState, protection);
    }
    read.Put(kProtectionState, std::string(ProtectionName(protection)));
    return config;
}

}  // namespace kelvane::tool
