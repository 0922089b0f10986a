// KelvaneCLI: command-line tool for the Kelvane USB bridge.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "options/cli_options.h"
#include "options/locale_arguments.h"
#include "output/console_output.h"
#include "program_frame.h"

namespace {

// Every path of the program ends here. The codes are negative; a POSIX
// parent sees only their low 8 bits in the process status (-400 as 112,
// -1 as 255), Windows keeps the whole 32-bit value (-400 in %ERRORLEVEL%).
[[noreturn]] void EndProgram(int exitCode) {
    std::fflush(stdout);
    std::exit(exitCode);
}

}  // namespace

#ifdef _WIN32

// Windows hands the program its command line as UTF-16: the arguments are
// taken as they are. Output redirected to a file or pipe leaves in the
// user's ANSI code page; a console gets UTF-16 (StdoutSink).
int wmain(int argc, wchar_t** argv) {
    using namespace kelvane::cli;

    std::setlocale(LC_ALL, "");
    std::vector<std::wstring> arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.emplace_back(argv[i] != nullptr ? argv[i] : L"");
    }

    static CliOptions options;
    StdoutSink console;
    EndProgram(RunProgram(arguments, options, console));
}

#else

int main(int argc, char** argv) {
    using namespace kelvane::cli;

    // Arguments arrive in the user's locale encoding and output leaves in it.
    std::setlocale(LC_ALL, "");
    const std::vector<std::wstring> arguments = WidenArguments(argc, argv);

    static CliOptions options;
    StdoutSink console;
    EndProgram(RunProgram(arguments, options, console));
}

#endif
