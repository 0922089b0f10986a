// adc and dac: the chip's three 10-bit ADC channels and its 5-bit DAC, raw
// and in volts from their voltage reference (runtime settings).
//
// Reference numbers: 0 is the chip's supply voltage (taken as 5.0 V, the
// USB bus voltage, unless --supply says otherwise), 1 is 1.024 V, 2 is
// 2.048 V and 3 is 4.096 V. An ADC reading r is r / 1024 of the reference,
// a DAC value v is v / 32 of it.
#include <cstdio>

#include <CLI/CLI.hpp>

#include "commands/command.h"
#include "common/failure.h"
#include "common/numbers.h"
#include "common/session.h"

namespace kelvane::tool {
namespace {

constexpr double kAdcSteps = 1024.0;
constexpr double kDacSteps = 32.0;
constexpr std::uint32_t kDacMax = 31;

double ReferenceVolts(int reference, double supply) {
    constexpr double kInternal[] = {0.0, 1.024, 2.048, 4.096};
    return reference == 0 ? supply : kInternal[reference];
}

std::string Volts(double volts) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f V", volts);
    return text;
}

// A reference getter's result, which is the number 0 to 3 or a code.
int Reference(int result, const std::string& what) {
    if (result < 0 || result > 3) {
        throw Failure(what, result);
    }
    return result;
}

// The options that both take: the reference to set, and the supply voltage.
class AnalogCommand : public Command {
protected:
    void AddReferenceOptions() {
        subcommand_->add_option("-R,--reference", reference_, "set the voltage reference first, 0 to 3")
            ->type_name("N");
        subcommand_->add_option("--supply", supply_, "the supply voltage, for reference 0 (default 5.0)")
            ->type_name("VOLTS");
    }

    void PrepareReference() {
        if (!reference_.empty()) {
            newReference_ = static_cast<int>(NumberIn(reference_, 0, 3, "--reference"));
        }
        if (!(supply_ > 0.0 && supply_ < 100.0)) {
            throw UsageError("--supply must be a voltage above 0");
        }
    }

    nlohmann::json ReferenceJson(int reference) const {
        return {{"number", reference}, {"volts", ReferenceVolts(reference, supply_)}};
    }

    std::string ReferenceText(int reference) const {
        return "reference " + std::to_string(reference) + " (" + Volts(ReferenceVolts(reference, supply_)) + ")";
    }

    std::string reference_;
    double supply_ = 5.0;
    std::optional<int> newReference_;
};

class AdcCommand : public AnalogCommand {
public:
    void Add(CLI::App& program) override {
        subcommand_ = AddSubcommand(program, "adc", "adc [-R N] [--supply VOLTS]", "the ADC channels",
                                    "Reads the three 10-bit ADC channels: raw (0 to 1023) and in volts, a\n"
                                    "reading r being r / 1024 of the voltage reference. References: 0 the\n"
                                    "supply (5.0 V unless --supply says otherwise), 1 1.024 V, 2 2.048 V,\n"
                                    "3 4.096 V.");
        AddReferenceOptions();
    }

    void Prepare() override { PrepareReference(); }

    void Run(Session& session) override {
        session.Connect();
        const Library& library = session.Lib();
        if (newReference_) {
            Check(library.SetAdcVoltageReference(*newReference_), "adc: setting the reference");
        }
        const int reference = Reference(library.GetAdcVoltageReference(), "adc: reading the reference");
        unsigned short values[3] = {};
        Check(library.GetAdcData(values), "adc: reading the channels");
        nlohmann::json& document = session.Out().Document();
        document["reference"] = ReferenceJson(reference);
        document["channels"] = nlohmann::json::array();
        session.Out().Line("ADC " + ReferenceText(reference));
        for (int channel = 0; channel < 3; ++channel) {
            const double volts = values[channel] * ReferenceVolts(reference, supply_) / kAdcSteps;
            document["channels"].push_back({{"channel", channel + 1}, {"raw", values[channel]}, {"volts", volts}});
            session.Out().Line("channel " + std::to_string(channel + 1) + ": " + std::to_string(values[channel]) +
                               " (" + Volts(volts) + ")");
        }
    }
};

class DacCommand : public AnalogCommand {
public:
    void Add(CLI::App& program) override {
        subcommand_ = AddSubcommand(program, "dac", "dac [-R N] [--supply VOLTS] [VALUE]", "the DAC",
                                    "Shows the 5-bit DAC's value (0 to 31) and output, value / 32 of the\n"
                                    "voltage reference (references as for adc); with VALUE, sets it first.");
        AddReferenceOptions();
        subcommand_->add_option("VALUE", value_, "the new value, 0 to 31")->type_name("");
    }

    void Prepare() override {
        PrepareReference();
        if (!value_.empty()) {
            newValue_ = static_cast<int>(NumberIn(value_, 0, kDacMax, "VALUE"));
        }
    }

    void Run(Session& session) override {
        session.Connect();
        const Library& library = session.Lib();
        if (newReference_) {
            Check(library.SetDacVoltageReference(*newReference_), "dac: setting the reference");
        }
        if (newValue_) {
            Check(library.SetDacValue(*newValue_), "dac: setting the value");
        }
        const int reference = Reference(library.GetDacVoltageReference(), "dac: reading the reference");
        const int value = library.GetDacValue();
        if (value < 0 || value > static_cast<int>(kDacMax)) {
            throw Failure("dac: reading the value", value);
        }
        const double volts = value * ReferenceVolts(reference, supply_) / kDacSteps;
        nlohmann::json& document = session.Out().Document();
        document["reference"] = ReferenceJson(reference);
        document["value"] = value;
        document["volts"] = volts;
        session.Out().Line("DAC " + std::to_string(value) + " of 31, " + ReferenceText(reference) + ": " +
                           Volts(volts));
    }

private:
    std::string value_;
    std::optional<int> newValue_;
};

}  // namespace

std::unique_ptr<Command> MakeAdcCommand() {
    return std::make_unique<AdcCommand>();
}

std::unique_ptr<Command> MakeDacCommand() {
    return std::make_unique<DacCommand>();
}

}  // namespace kelvane::tool
