// What the kelvane program takes from files and its command line: a
// configuration file (TOML), i2ctransfer's descriptors and data, and serial
// patterns. Every input is either taken or refused with a UsageError; none
// crashes, overruns or recurses without bound. The first byte picks the
// reader; for descriptors the rest is split at spaces into arguments.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bus/transfer_messages.h"
#include "common/failure.h"
#include "config/config_toml.h"
#include "config/serial_pattern.h"
#include "support/finding.h"

namespace {

using namespace kelvane::tool;

std::vector<std::string> Arguments(std::string_view text) {
    std::vector<std::string> arguments;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) {
            arguments.emplace_back(text.substr(at, end - at));
        }
        at = end + 1;
    }
    return arguments;
}

void Read(std::uint8_t reader, std::string_view text) {
    switch (reader % 3) {
        case 0: {
            const Config config = ConfigFromToml(text, "fuzz.toml");
            // What a file gives is a configuration: written and read again,
            // it is the same.
            if (config.count("protection.password") == 0 &&
                ConfigFromToml(ConfigToToml(config), "again.toml") != config) {
                kelvane::fuzz::Finding("a configuration did not read back as written");
            }
            break;
        }
        case 1: {
            const std::vector<Message> messages = ParseMessages(Arguments(text), reader & 0x80);
            for (const Message& message : messages) {
                if (!message.read && message.data.size() != message.length) {
                    kelvane::fuzz::Finding("a write message's data is not as long as the message");
                }
            }
            PlanTransfers(messages, (reader & 0x40) != 0);
            break;
        }
        default: {
            const SerialPattern pattern = SerialPattern::Parse(text);
            pattern.Serial(0);
            pattern.Serial(UINT64_MAX);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    try {
        Read(data[0], std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    } catch (const UsageError&) {
        // refused, as it should be
    }
    return 0;
}
