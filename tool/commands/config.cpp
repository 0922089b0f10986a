// config show | export FILE | apply FILE: the chip's whole configuration as
// a TOML file (config/config_keys.h has the keys), and that file written to
// one chip or to every attached chip, with serial numbers from a pattern
// for chips set up one after another. A file's own serial number goes to
// one chip only, unless --same-serial asks for it on all of them.
#include <CLI/CLI.hpp>

#include "commands/command.h"
#include "common/failure.h"
#include "common/numbers.h"
#include "common/progress.h"
#include "common/session.h"
#include "config/apply_config.h"
#include "config/chip_config.h"
#include "config/config_toml.h"
#include "config/serial_pattern.h"

namespace kelvane::tool {
namespace {

constexpr std::size_t kPasswordBytes = 8;

const char* StatusName(ApplyOutcome::Status status) {
    switch (status) {
        case ApplyOutcome::Status::kApplied: return "applied";
        case ApplyOutcome::Status::kUnchanged: return "unchanged";
        case ApplyOutcome::Status::kLocked: return "locked";
    }
    return "";
}

std::string Joined(const std::vector<std::string>& keys) {
    std::string text;
    for (const std::string& key : keys) {
        text += (text.empty() ? "" : ", ") + key;
    }
    return text;
}

class ConfigCommand : public Command {
public:
    void Add(CLI::App& program) override {
        subcommand_ = AddSubcommand(program, "config", "config show | export FILE | apply FILE",
                                    "the chip's configuration as a file",
                                    "The chip's whole configuration (USB identifiers and strings, power,\n"
                                    "power-up pins and levels, interrupt, clock, DAC and ADC, protection) as a\n"
                                    "TOML file that people edit; docs/kelvane-tool.md describes its keys.");
        subcommand_->require_subcommand(1);
        show_ = AddSubcommand(*subcommand_, "show", "config show", "prints the configuration",
                              "Prints the chip's configuration as config export writes it.");
        export_ = AddSubcommand(*subcommand_, "export", "config export FILE", "writes the configuration to FILE",
                                "Writes the chip's configuration to FILE, a TOML file.");
        export_->add_option("FILE", file_, "the file to write")->required()->type_name("");
        apply_ = AddSubcommand(
            *subcommand_, "apply",
            "config apply FILE [--password PW] [--serial-pattern PATTERN [--start N] | --same-serial] [--all] "
            "[--reset] [--yes-lock]",
            "writes FILE's configuration to the chip",
            "Writes to the chip what differs from FILE (keys left out stay as they\n"
            "are), each setting through the library's setter, then reads everything\n"
            "back and fails if anything differs. A password-protected chip needs\n"
            "--password; a permanently locked chip is left alone. With\n"
            "--serial-pattern each chip set up gets the next serial number\n"
            "(LAB-{n:04} and --start 17 give LAB-0017, LAB-0018, ...) and the number\n"
            "to use next is printed; a number that may have reached a chip that then\n"
            "failed stays with it, and the next chip gets the next one. With --all a\n"
            "file that sets usb.serial (as config export writes it) is refused unless\n"
            "--serial-pattern gives each chip its own number or --same-serial asks\n"
            "for that one on every chip; leave the key out to keep each chip's own.\n"
            "The access password and the lock are written only when the file asks\n"
            "with its own keys, the lock only with --yes-lock.");
        apply_->add_option("FILE", file_, "the file to apply")->required()->type_name("");
        apply_->add_option("--password", password_, "the access password of a password-protected chip (8 bytes)")
            ->type_name("PW");
        apply_->add_option("--serial-pattern", pattern_, "serial numbers for the chips set up, e.g. LAB-{n:04}")
            ->type_name("PATTERN");
        CLI::Option* pattern = apply_->get_option("--serial-pattern");
        apply_->add_option("--start", start_, "the number for the first chip (default 1)")->type_name("N");
        apply_
            ->add_flag("--same-serial", sameSerial_,
                       "with --all, write the file's usb.serial to every chip (they cannot be told apart)")
            ->excludes(pattern);
        apply_->add_flag("--all", all_, "apply the file to every attached chip in turn");
        apply_->add_flag("--reset", reset_, "reset the chips whose USB identifiers or protection changed");
        apply_->add_flag("--yes-lock", yesLock_, "let the file lock the chip's flash settings for good");
    }

    void Prepare() override {
        if (!apply_->parsed()) {
            return;
        }
        if (apply_->get_option("--password")->count() > 0) {
            if (password_.size() != kPasswordBytes) {
                throw UsageError("--password must be 8 bytes long (the chip keeps 8)");
            }
            options_.password = password_;
        }
        options_.yesLock = yesLock_;
        if (apply_->get_option("--serial-pattern")->count() > 0) {
            serialPattern_ = SerialPattern::Parse(pattern_);
            if (!start_.empty()) {
                next_ = NumberIn(start_, 0, UINT32_MAX, "--start");
            }
        } else if (!start_.empty()) {
            throw UsageError("--start goes with --serial-pattern");
        }
    }

    void Run(Session& session) override {
        if (show_->parsed()) {
            session.Connect();
            const Config config = ReadChipConfig(session.Lib());
            session.Out().Document()["config"] = ConfigJson(config);
            std::string text = ConfigToToml(config);
            text.pop_back();
            session.Out().Line(text);
        } else if (export_->parsed()) {
            const ChipInfo chip = session.Connect();
            const Config config = ReadChipConfig(session.Lib());
            session.Files().Write(file_, ConfigToToml(config));
            session.Out().Document()["file"] = file_;
            session.Out().Document()["config"] = ConfigJson(config);
            session.Out().Line(ChipName(chip) + ": configuration written to " + file_);
        } else {
            Apply(session);
        }
    }

private:
    void Apply(Session& session) {
        const Config file = ConfigFromToml(session.Files().Read(file_), file_);
        CheckBatchSerial(file);
        nlohmann::json& document = session.Out().Document();
        document["file"] = file_;
        document["chips"] = nlohmann::json::array();
        std::vector<int> indexes;
        if (all_) {
            for (const ChipInfo& chip : session.AllChips()) {
                indexes.push_back(chip.index);
            }
            if (indexes.empty()) {
                throw Failure("config apply: no chip found");
            }
        } else {
            indexes.push_back(session.Connect().index);
        }
        CheckSerials(indexes.size());
        Progress progress(ProgressShown(session.Options().json) && indexes.size() > 1);
        std::vector<std::string> toReset;
        std::size_t notSetUp = 0;
        for (std::size_t i = 0; i < indexes.size(); ++i) {
            progress.Step("config apply", i + 1, indexes.size());
            numberReached_ = false;
            try {
                if (!ApplyToChip(session, indexes[i], file, toReset)) {
                    ++notSetUp;
                }
            } catch (const UsageError& refusal) {
                // This chip's own settings make a change of the file
                // impossible (found before anything is written to it).
                // Before any chip was written nothing was done, and the run
                // ends as a usage error; after, it is this chip's failure,
                // reported with the others, and the batch goes on.
                if (!written_) {
                    throw;
                }
                ++notSetUp;
                ReportFailed(session, indexes[i], Failure(refusal.what()));
            } catch (const Failure& failure) {
                ++notSetUp;
                if (!all_ && !numberReached_) {
                    throw;
                }
                ReportFailed(session, indexes[i], failure);
                if (!all_) {
                    progress.Clear();
                    ReportNext(session);
                    throw;
                }
            }
        }
        progress.Clear();
        ReportNext(session);
        ResetChips(session, toReset);
        if (notSetUp > 0) {
            throw Failure("config apply: " + std::to_string(notSetUp) + " of " + std::to_string(indexes.size()) +
                          " chips not set up");
        }
    }

    // A file that sets usb.serial would give every chip of a batch the same
    // serial number: refused unless a pattern replaces it or --same-serial
    // asks for it.
    void CheckBatchSerial(const Config& file) const {
        const auto serial = file.find("usb.serial");
        if (!all_ || serial == file.end() || serialPattern_ || sameSerial_) {
            return;
        }
        throw UsageError("config apply --all: " + file_ + " sets usb.serial = \"" +
                         std::get<std::string>(serial->second) +
                         "\", which would give every chip the same serial number; give --serial-pattern "
                         "(each chip its own number) or leave usb.serial out of the file (each chip keeps "
                         "its own); --same-serial writes the same number to every chip");
    }

    // A chip that failed; with a pattern whose number may have reached
    // it, that number stays with it and the next chip gets the next one.
    void ReportFailed(Session& session, int index, const Failure& failure) {
        const std::string name = "chip " + std::to_string(index);
        nlohmann::json entry{{"index", index}, {"status", "failed"}, {"error", failure.Message()}};
        session.Out().Line(name + ": failed: " + failure.Message());
        if (serialPattern_ && numberReached_) {
            const std::string serial = serialPattern_->Serial(next_);
            entry["serial"] = serial;
            session.Out().Line(name + ": may carry serial number " + serial + "; the next chip gets the next one");
            ++next_;
        }
        session.Out().Document()["chips"].push_back(entry);
    }

    void ReportNext(Session& session) const {
        if (serialPattern_) {
            session.Out().Document()["next"] = next_;
            session.Out().Line("next serial number: " + serialPattern_->Serial(next_) + " (--start " +
                               std::to_string(next_) + ")");
        }
    }

    // Every serial number that the pattern may give the chips, checked
    // before the first chip is written.
    void CheckSerials(std::size_t chips) const {
        if (!serialPattern_) {
            return;
        }
        for (std::uint64_t n = next_; n < next_ + chips; ++n) {
            const std::string serial = serialPattern_->Serial(n);
            const std::string problem = CheckValue(*FindConfigKey("usb.serial"), serial);
            if (!problem.empty()) {
                throw UsageError("--serial-pattern gives \"" + serial + "\", which " + problem);
            }
        }
    }

    // True when the chip has the file's configuration now.
    bool ApplyToChip(Session& session, int index, Config file, std::vector<std::string>& toReset) {
        ChipInfo chip = session.Select(index);
        const std::string name = ChipName(chip);
        ApplyOptions options = options_;
        if (serialPattern_) {
            const std::string serial = serialPattern_->Serial(next_);
            file["usb.serial"] = serial;
            // The number is on the chip already, or once its setter runs it
            // may be, whatever the setter or the read-back then says.
            numberReached_ = chip.serial == serial;
        }
        options.writing = [this](const std::string& key) {
            written_ = true;
            if (serialPattern_ && key == "usb.serial") {
                numberReached_ = true;
            }
        };
        const ApplyOutcome outcome = ApplyConfig(session.Lib(), file, options);
        // The protection is written after the settings, without the hook.
        written_ = written_ || !outcome.changed.empty();
        nlohmann::json entry = ChipJson(chip);
        entry["status"] = StatusName(outcome.status);
        entry["changed"] = outcome.changed;
        entry["reset_needed"] = outcome.resetNeeded;
        entry["reset"] = outcome.resetNeeded && reset_;
        if (outcome.status == ApplyOutcome::Status::kLocked) {
            if (serialPattern_ && numberReached_) {
                // It has the number already: no other chip gets it.
                entry["serial"] = serialPattern_->Serial(next_++);
            }
            session.Out().Document()["chips"].push_back(entry);
            session.Out().Line(name + ": the flash settings are permanently locked; left alone");
            session.Out().Warn("kelvane: " + name + ": the flash settings are permanently locked; left alone\n");
            return false;
        }
        if (serialPattern_) {
            entry["serial"] = serialPattern_->Serial(next_);
            ++next_;
        }
        session.Out().Document()["chips"].push_back(entry);
        if (outcome.status == ApplyOutcome::Status::kUnchanged) {
            session.Out().Line(name + ": unchanged, the chip has this configuration");
        } else {
            session.Out().Line(name + ": written: " + Joined(outcome.changed) + "; read back as written");
        }
        if (outcome.resetNeeded && reset_) {
            toReset.push_back(chip.path);
        } else if (outcome.resetNeeded) {
            session.Out().Line(name +
                               ": the new USB identifiers or protection take effect when the chip is reset "
                               "(kelvane reset, or config apply --reset)");
        }
        return true;
    }

    // The chips by their device paths, found again in a new scan: resetting
    // one may change the others' places in the enumeration.
    static void ResetChips(Session& session, const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            bool found = false;
            for (const ChipInfo& chip : session.AllChips()) {
                if (chip.path != path) {
                    continue;
                }
                const ChipInfo selected = session.Select(chip.index);
                Check(session.Lib().ResetDevice(), "config apply: reset of " + ChipName(selected));
                session.Out().Line(ChipName(selected) + ": reset");
                found = true;
                break;
            }
            if (!found) {
                throw Failure("config apply: the chip at " + path + " is gone before its reset");
            }
        }
    }

    CLI::App* show_ = nullptr;
    CLI::App* export_ = nullptr;
    CLI::App* apply_ = nullptr;
    std::string file_;
    std::string password_;
    std::string pattern_;
    std::string start_;
    bool all_ = false;
    bool reset_ = false;
    bool yesLock_ = false;
    bool sameSerial_ = false;
    ApplyOptions options_;
    std::optional<SerialPattern> serialPattern_;
    std::uint64_t next_ = 1;
    // The pattern's number next_ may have reached the chip being set up.
    bool numberReached_ = false;
    // Something may have been written to a chip of this run.
    bool written_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeConfigCommand() {
    return std::make_unique<ConfigCommand>();
}

}  // namespace kelvane::tool
