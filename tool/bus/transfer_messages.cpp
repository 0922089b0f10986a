#include "bus/transfer_messages.h"

#include "common/failure.h"
#include "common/numbers.h"

namespace kelvane::tool {
namespace {

constexpr std::size_t kLongestMessage = 65535;

// Reads the descriptor into message; false when the argument is none.
bool ParseDescriptor(const std::string& argument, Message& message, bool& hasAddress, bool allAddresses) {
    if (argument.size() < 2 || (argument[0] != 'r' && argument[0] != 'w')) {
        return false;
    }
    message.read = argument[0] == 'r';
    const std::size_t at = argument.find('@');
    const std::string length = argument.substr(1, at == std::string::npos ? std::string::npos : at - 1);
    message.length = NumberIn(length, message.read ? 1 : 0, kLongestMessage, "the length of " + argument);
    if (at != std::string::npos) {
        message.address = SlaveAddress(argument.substr(at + 1), allAddresses);
        hasAddress = true;
    }
    return true;
}

// Fills a write's data from the arguments at `next` on.
void ParseData(const std::vector<std::string>& arguments, std::size_t& next, Message& message) {
    while (message.data.size() < message.length) {
        if (next == arguments.size()) {
            throw UsageError("transfer: the " + Describe(message) + " needs " + std::to_string(message.length) +
                             " data bytes, " + std::to_string(message.data.size()) + " given");
        }
        std::string text = arguments[next++];
        char suffix = '\0';
        if (!text.empty() && (text.back() == '=' || text.back() == '+' || text.back() == '-' || text.back() == 'p')) {
            suffix = text.back();
            text.pop_back();
        }
        if (suffix == 'p') {
            throw UsageError("transfer: the p suffix (pseudo-random data) is not supported");
        }
        auto value = static_cast<std::uint8_t>(NumberIn(text, 0, 0xFF, "a data byte"));
        message.data.push_back(value);
        while (suffix != '\0' && message.data.size() < message.length) {
            value = static_cast<std::uint8_t>(suffix == '+' ? value + 1 : suffix == '-' ? value - 1 : value);
            message.data.push_back(value);
        }
    }
}

bool IsRegisterRead(const std::vector<Message>& messages, std::size_t first) {
    return first + 1 < messages.size() && !messages[first].read && messages[first].length == 1 &&
           messages[first + 1].read && messages[first + 1].address == messages[first].address;
}

}  // namespace

std::vector<Message> ParseMessages(const std::vector<std::string>& arguments, bool allAddresses) {
    std::vector<Message> messages;
    bool hasAddress = false;
    std::uint8_t address = 0;
    std::size_t next = 0;
    while (next < arguments.size()) {
        Message message;
        message.address = address;
        if (!ParseDescriptor(arguments[next], message, hasAddress, allAddresses)) {
            throw UsageError("transfer: '" + arguments[next] + "' is no descriptor ({r|w}LENGTH[@ADDR])");
        }
        if (!hasAddress) {
            throw UsageError("transfer: no address given in " + arguments[next]);
        }
        ++next;
        address = message.address;
        if (!message.read) {
            ParseData(arguments, next, message);
        }
        messages.push_back(std::move(message));
        if (messages.size() > kMostMessages) {
            throw UsageError("transfer: at most " + std::to_string(kMostMessages) + " messages");
        }
    }
    if (messages.empty()) {
        throw UsageError("transfer: no descriptor given");
    }
    return messages;
}

std::vector<BusTransfer> PlanTransfers(const std::vector<Message>& messages, bool allowStop) {
    std::vector<BusTransfer> transfers;
    for (std::size_t first = 0; first < messages.size(); first += transfers.back().count) {
        transfers.push_back({first, IsRegisterRead(messages, first) ? std::size_t{2} : std::size_t{1}});
    }
    if (transfers.size() > 1 && !allowStop) {
        throw UsageError(
            "transfer: the chip runs one write, one read, or a write of one byte followed by a read of the same "
            "address (with a repeated start) as one transfer; these " +
            std::to_string(messages.size()) + " messages need " + std::to_string(transfers.size()) +
            " transfers with a stop between them: add --allow-stop to run them so");
    }
    return transfers;
}

std::string Describe(const Message& message) {
    return std::string(message.read ? "read" : "write") + " of " + std::to_string(message.length) + " bytes at " +
           Hex2(message.address);
}

}  // namespace kelvane::tool
