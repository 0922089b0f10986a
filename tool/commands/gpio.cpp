// gpio [PIN [in|out [0|1]]]: the four GP pins (designation, direction,
// value), and a pin made a GPIO input or output. The change is made in the
// chip's runtime settings (the power-up settings are the configuration
// file's), with the pin's designation set to GPIO and the other pins
// written back as they were read.
#include <array>
#include <cstdio>

#include <CLI/CLI.hpp>

#include "commands/command.h"
#include "common/failure.h"
#include "common/numbers.h"
#include "common/session.h"

namespace kelvane::tool {
namespace {

constexpr int kRuntime = 0;
constexpr unsigned char kInput = 1;
constexpr unsigned char kOutput = 0;

struct Pins {
    std::array<unsigned char, 4> designation{};
    std::array<unsigned char, 4> direction{};
    std::array<unsigned char, 4> value{};
};

Pins ReadPins(const Library& library) {
    Pins pins;
    Check(library.GetGpPinConfiguration(kRuntime, pins.designation.data(), pins.direction.data(), pins.value.data()),
          "gpio: reading the pin configuration");
    return pins;
}

class GpioCommand : public Command {
public:
    void Add(CLI::App& program) override {
        subcommand_ =
            AddSubcommand(program, "gpio", "gpio [PIN [in|out [0|1]]]", "the GP pins; a pin as a GPIO input or output",
                          "Shows the four GP pins (or PIN, 0 to 3): designation (gpio, or the code\n"
                          "of another function), direction and level. With a direction, PIN becomes\n"
                          "a GPIO input or output in the runtime settings (the power-up settings\n"
                          "are the configuration file's); an output is driven at the given level,\n"
                          "or at the level it had.");
        subcommand_->add_option("ARGUMENTS", arguments_, "[PIN [in|out [0|1]]]")->expected(0, 3)->type_name("");
    }

    void Prepare() override {
        if (arguments_.empty()) {
            return;
        }
        pin_ = static_cast<int>(NumberIn(arguments_[0], 0, 3, "PIN"));
        if (arguments_.size() >= 2) {
            if (arguments_[1] != "in" && arguments_[1] != "out") {
                throw UsageError("gpio: the direction is in or out (got '" + arguments_[1] + "')");
            }
            direction_ = arguments_[1] == "in" ? kInput : kOutput;
        }
        if (arguments_.size() == 3) {
            if (direction_ != kOutput) {
                throw UsageError("gpio: a level goes with out only");
            }
            level_ = static_cast<unsigned char>(NumberIn(arguments_[2], 0, 1, "the level"));
        }
    }

    void Run(Session& session) override {
        session.Connect();
        const Library& library = session.Lib();
        if (direction_) {
            Pins pins = ReadPins(library);
            pins.designation[static_cast<std::size_t>(*pin_)] = 0;
            pins.direction[static_cast<std::size_t>(*pin_)] = *direction_;
            if (level_) {
                pins.value[static_cast<std::size_t>(*pin_)] = *level_;
            }
            Check(library.SetGpPinConfiguration(kRuntime, pins.designation.data(), pins.direction.data(),
                                                pins.value.data()),
                  "gpio: setting GP" + std::to_string(*pin_));
        }
        const Pins pins = ReadPins(library);
        nlohmann::json& document = session.Out().Document();
        document["pins"] = nlohmann::json::array();
        session.Out().Line("pin  designation  direction  level");
        for (int pin = 0; pin < 4; ++pin) {
            if (pin_ && pin != *pin_) {
                continue;
            }
            const auto p = static_cast<std::size_t>(pin);
            const bool gpio = pins.designation[p] == 0;
            nlohmann::json entry{{"pin", pin},
                                 {"designation", pins.designation[p]},
                                 {"gpio", gpio},
                                 {"direction", nullptr},
                                 {"level", nullptr}};
            std::string direction = "-";
            std::string level = "-";
            if (gpio) {
                const int read = library.ReadGpioPinValue(static_cast<unsigned char>(pin));
                if (read < 0) {
                    throw Failure("gpio: reading GP" + std::to_string(pin), read);
                }
                direction = pins.direction[p] == kInput ? "in" : "out";
                level = std::to_string(read);
                entry["direction"] = direction;
                entry["level"] = read;
            }
            char line[64];
            std::snprintf(line, sizeof line, "GP%d  %-11s  %-9s  %s", pin,
                          gpio ? "gpio" : ("function " + std::to_string(pins.designation[p])).c_str(),
                          direction.c_str(), level.c_str());
            session.Out().Line(line);
            document["pins"].push_back(entry);
        }
    }

private:
    std::vector<std::string> arguments_;
    std::optional<int> pin_;
    std::optional<unsigned char> direction_;
    std::optional<unsigned char> level_;
};

}  // namespace

std::unique_ptr<Command> MakeGpioCommand() {
    return std::make_unique<GpioCommand>();
}

}  // namespace kelvane::tool
