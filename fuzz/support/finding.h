// A finding of a fuzz target: what went wrong is printed and the process
// aborts, so that libFuzzer keeps the input that led there as a crash.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace kelvane::fuzz {

[[noreturn]] inline void Finding(const char* format, ...) __attribute__((format(printf, 1, 2)));

[[noreturn]] inline void Finding(const char* format, ...) {
    std::fputs("FINDING: ", stderr);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    std::abort();
}

}  // namespace kelvane::fuzz
