// Fuzz target: the library's 70 exports over a chip whose every answer
// comes from the input (see hostile_platform.h and export_driver.h).
//
// An input is a script: the next byte picks an export, the bytes after it
// its arguments, and every scan, open, write and read of the platform takes
// its outcome from the bytes that follow. The library starts each input
// freshly initialised; at its end a new initialisation must close every
// handle the library opened.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "hostile_chip/export_driver.h"
#include "hostile_chip/hostile_platform.h"
#include "kelvane.h"
#include "platform/platform.h"
#include "support/byte_script.h"
#include "support/finding.h"

namespace {

using kelvane::fuzz::HostilePlatform;

HostilePlatform& Chip() {
    static HostilePlatform platform;
    return platform;
}

std::uint64_t g_inputs = 0;

// At the end of the run: how many responses the hostile chip handed to the
// library, the figure the long runs are measured by.
void PrintResponses() {
    std::fprintf(stderr, "hostile chip: %llu chip responses over %llu inputs\n",
                 static_cast<unsigned long long>(HostilePlatform::TotalResponses()),
                 static_cast<unsigned long long>(g_inputs));
}

// Enough calls for long sequences (a lost connection and its recovery,
// late answers carried from one call to the next) without letting one
// input run for long.
constexpr int kMaxCallsPerInput = 48;

}  // namespace

namespace kelvane::platform {

// Nothing in this program reaches a real device.
Platform& DefaultPlatform() {
    return Chip();
}

}  // namespace kelvane::platform

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kelvane::platform::SetActivePlatform(&Chip());
    std::atexit(PrintResponses);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ++g_inputs;
    kelvane::fuzz::ByteScript script(data, size);
    HostilePlatform& chip = Chip();
    chip.Begin(script);
    kelvane::fuzz::ExportDriver driver(chip);
    driver.Start();
    for (int call = 0; call < kMaxCallsPerInput && !script.Exhausted(); ++call) {
        driver.CallNext(script);
    }
    DllInit();
    if (chip.OpenHandleCount() != 0) {
        kelvane::fuzz::Finding("%d handles still open after a new initialisation", chip.OpenHandleCount());
    }
    return 0;
}
