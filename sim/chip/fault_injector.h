// Fault injection for a virtual chip: rules that pick requests by command
// code and make the chip or its transport misbehave on them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/report.h"

namespace kelvane::sim {

enum class FaultKind {
    kNoAnswer,        // the request is lost: no response, the host's read times out
    kWrongEcho,       // response byte 0 is replaced by `value`
    kStatus,          // response byte 1 is replaced by `value`
    kSetByte,         // response byte `index` is replaced by `value`
    kWriteTimeout,    // the write never completes: the host's write times out
    kWriteRefused,    // the platform refuses the write at once (device gone)
    kWriteWaitFails,  // the wait for the write fails (neither done nor timed out)
    kReadRefused,     // the platform refuses the read of the response at once
    kReadWaitFails,   // the wait for the read fails
    // The chip does not act on the request. kRefuse answers "not accepted"
    // (status 0x01) with `value` as the engine state in byte 2; kNotReady
    // answers a data request with status 0 and `value` (above 60) as its
    // data count in byte 3.
    kRefuse,
    kNotReady,
    // The chip answers the request twice: the host reads the first answer,
    // the second waits on its queue as a report nobody asked for.
    kStray,
    // The answer comes late: the host's wait for it fails (the connection
    // stays), and the answer arrives just after the next request is written.
    kLateAnswer,
};

inline constexpr int kAnyCommand = -1;
inline constexpr int kForever = -1;

struct FaultRule {
    FaultKind kind = FaultKind::kNoAnswer;
    int command = kAnyCommand;  // request code the rule looks at
    int skip = 0;               // matching requests let through first
    int times = 1;              // matching requests affected, or kForever
    std::size_t index = 0;      // response byte for kSetByte
    std::uint8_t value = 0;     // new byte value
};

// What the rules decided for one request.
struct FaultActivation {
    struct Patch {
        std::size_t index;
        std::uint8_t value;
    };
    static constexpr std::size_t kMaxPatches = 8;

    bool noAnswer = false;
    bool ignored = false;  // the chip does not act on the request; the patches make the answer
    bool writeTimeout = false;
    bool writeRefused = false;
    bool writeWaitFails = false;
    bool readRefused = false;
    bool readWaitFails = false;
    bool stray = false;
    bool lateAnswer = false;
    std::array<Patch, kMaxPatches> patches{};
    std::size_t patchCount = 0;

    void ApplyPatches(Report& response) const;
};

class FaultInjector {
public:
    void Add(const FaultRule& rule) { rules_.push_back(rule); }
    void Clear() { rules_.clear(); }
    bool Empty() const { return rules_.empty(); }

    // Decides, once per request, which rules act on it, and uses them up.
    FaultActivation Activate(std::uint8_t command);

private:
    std::vector<FaultRule> rules_;
};

}  // namespace kelvane::sim
