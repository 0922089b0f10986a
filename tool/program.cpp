#include "program.h"

#include "common/failure.h"
#include "common/library.h"
#include "common/output.h"
#include "common/session.h"

namespace kelvane::tool {
namespace {

constexpr char kDescription[] =
    "I2C, SMBus, GPIO and configuration tasks on Kelvane USB bridge chips, in\n"
    "the manner of i2c-tools. The common options may stand before or after the\n"
    "subcommand.";

constexpr char kFooter[] =
    "Numbers are written as in i2c-tools: 0x... hexadecimal, 0... octal, else\n"
    "decimal. Exit status: 0 success, 1 an operation failed, 2 a usage error.\n"
    "'kelvane SUBCOMMAND --help' shows a subcommand's arguments.";

void Report(const std::string& message) {
    WriteStderr("kelvane: " + message + "\n");
}

int UsageFailure(const std::string& message) {
    Report(message);
    WriteStderr("Run 'kelvane --help' or 'kelvane SUBCOMMAND --help' for more information.\n");
    return kExitUsage;
}

}  // namespace

CommandLine::CommandLine() : app(kDescription, "kelvane"), commands(AllCommands()) {
    app.formatter(MakeHelpFormatter());
    app.require_subcommand(1);
    app.fallthrough();
    AddCommonOptions(app, options);
    for (const std::unique_ptr<Command>& command : commands) {
        command->Add(app);
    }
    app.footer(kFooter);
}

ParsedLine ParseLine(CommandLine& line, const std::vector<std::string>& arguments) {
    ParsedLine parsed;
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    try {
        line.app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        parsed.kind = ParsedLine::Kind::kHelp;
        parsed.text = line.app.help();
        return parsed;
    } catch (const CLI::CallForAllHelp&) {
        parsed.kind = ParsedLine::Kind::kHelp;
        parsed.text = line.app.help("", CLI::AppFormatMode::All);
        return parsed;
    } catch (const CLI::RequiredError& error) {
        // CLI11 checks for the subcommand before it looks at what it did not
        // take: name that first ("kelvane scan", "kelvane --bogus").
        const std::vector<std::string> unknown = line.app.remaining();
        if (!unknown.empty()) {
            std::string names;
            for (const std::string& name : unknown) {
                names += (names.empty() ? "" : " ") + name;
            }
            parsed.text = "not a subcommand or option: " + names;
            return parsed;
        }
        parsed.text = error.what();
        return parsed;
    } catch (const CLI::ParseError& error) {
        parsed.text = error.what();
        return parsed;
    }

    for (const std::unique_ptr<Command>& command : line.commands) {
        if (command->Chosen()) {
            parsed.chosen = command.get();
        }
    }
    try {
        parsed.settings = SettingsOf(line.options);
        parsed.chosen->Prepare();
    } catch (const UsageError& error) {
        parsed.text = error.what();
        return parsed;
    }
    parsed.kind = ParsedLine::Kind::kRun;
    return parsed;
}

int RunProgram(const std::vector<std::string>& arguments) {
    CommandLine line;
    const ParsedLine parsed = ParseLine(line, arguments);
    if (parsed.kind == ParsedLine::Kind::kHelp) {
        WriteStdout(parsed.text);
        return kExitSuccess;
    }
    if (parsed.kind == ParsedLine::Kind::kUsage) {
        return UsageFailure(parsed.text);
    }
    const Settings& settings = parsed.settings;
    Output output(settings.json);
    try {
        const Library library = OpenLibrary(ChooseLibrary(settings.library, EnvironmentVariable(kLibraryVariable)));
        DiskFiles files;
        Session session(library, settings, output, files);
        parsed.chosen->Run(session);
        output.Print();
        return kExitSuccess;
    } catch (const UsageError& error) {
        // Found once the run was under way (a file's contents): nothing was
        // changed.
        return UsageFailure(error.what());
    } catch (const Failure& failure) {
        output.PrintFailed(failure);
        Report(failure.Message());
        return kExitFailed;
    } catch (const std::exception& error) {
        // Out of memory, or a file system error that no step caught.
        const Failure failure(error.what());
        output.PrintFailed(failure);
        Report(failure.Message());
        return kExitFailed;
    }
}

}  // namespace kelvane::tool
