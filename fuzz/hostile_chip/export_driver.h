// Calls the library's 70 exports one after the other, each picked by the
// fuzz input with arguments from it, and checks after every call what the
// library promises its callers whatever the chip does:
//
// - caller buffers of exactly the documented size are neither overrun nor
//   underrun (guard units around each), and string outputs are terminated
//   within them;
// - input strings are read no further than their terminator;
// - the result is one the export documents, and an argument that the
//   export refuses is refused before anything is sent;
// - the call takes no longer on the platform clock than its documented
//   bound, scans at most once, opens no more than the selected chip's two
//   handles per scan and sends no more reports than it documents;
// - a transfer that reports success moved exactly the caller's bytes: the
//   pieces the chip accepted make up the data written, the buffer of a read
//   holds the data the chip sent and nothing else, and a read with packet
//   error checking succeeds only with the right code.
#pragma once

#include <cstdint>
#include <vector>

#include "hostile_chip/hostile_platform.h"
#include "support/byte_script.h"

namespace kelvane::fuzz {

class ExportDriver {
public:
    static constexpr int kExportCount = 70;

    explicit ExportDriver(HostilePlatform& platform) : platform_(platform) {}

    // Initialises the library for the default identifiers.
    void Start();
    // Calls the export that the next input bytes pick, and checks it.
    void CallNext(ByteScript& in);

private:
    struct Limits {
        const char* name;
        long long maxValue;             // largest non-negative result
        std::vector<int> failures;      // the negative results it documents
        int exchanges;                  // request/response pairs at most
        bool scans;                     // may scan (at most once)
        // Argument codes (-201 to -204) that come after a report was sent;
        // every other one comes before anything is sent.
        std::vector<int> lateArgumentCodes = {};
    };

    void Call(int which, ByteScript& in);
    void Check(const Limits& limits, long long result, std::uint64_t boundMs);
    void SetIdentifiers(int vendorId, int productId);

    HostilePlatform& platform_;
    std::uint64_t startMs_ = 0;
    std::uint64_t startEnumerations_ = 0;
    std::uint64_t startOpens_ = 0;
};

}  // namespace kelvane::fuzz
