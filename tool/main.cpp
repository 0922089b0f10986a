// kelvane: an i2c-tools-style program for Kelvane USB bridge chips.
#include <cstdio>
#include <string>
#include <vector>

#include "program.h"

#ifdef _WIN32
#include "text/wide_text.h"

// Windows hands the program its command line as UTF-16; inside, text is
// UTF-8.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(argv[i] != nullptr ? kelvane::text::Utf8FromWideReplacing(argv[i]) : std::string());
    }
    const int status = kelvane::tool::RunProgram(arguments);
    std::fflush(stdout);
    return status;
}

#else

// Arguments are taken as the bytes they are (UTF-8 on any current system).
int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    const int status = kelvane::tool::RunProgram(arguments);
    std::fflush(stdout);
    return status;
}

#endif
