#include "hostile_chip/transfer_checks.h"

#include <algorithm>

#include "i2c/transfer_budget.h"
#include "kelvane.h"
#include "support/finding.h"

namespace kelvane::fuzz {
namespace {

constexpr std::uint8_t kStatusCommand = 0x10;
constexpr std::uint8_t kGetData = 0x40;
constexpr std::uint8_t kWriteCommand = 0x90;
constexpr std::uint8_t kReadCommand = 0x91;
constexpr std::uint8_t kReadAfterWrite = 0x93;
constexpr std::size_t kPiece = 60;

bool IsBlock(const TransferCall& call) {
    return call.kind == TransferKind::kSmbusWrite || call.kind == TransferKind::kSmbusRead;
}

std::uint32_t Total(const TransferCall& call) {
    return call.count + (IsBlock(call) && call.pec ? 1u : 0u);
}

const char* NameOf(const TransferCall& call) {
    switch (call.kind) {
        case TransferKind::kI2cWrite:
            return "WriteI2cData";
        case TransferKind::kI2cRead:
            return "ReadI2cData";
        case TransferKind::kSmbusWrite:
            return "SmbWriteBlock";
        case TransferKind::kSmbusRead:
            return "SmbReadBlock";
    }
    return "?";
}

std::uint32_t CountIn(const Report& request) {
    return request[1] | (request[2] << 8);
}

}  // namespace

std::uint8_t Crc8(std::span<const std::uint8_t> bytes, std::uint8_t crc) {
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<std::uint8_t>((crc & 0x80) != 0 ? (crc << 1) ^ 0x07 : crc << 1);
        }
    }
    return crc;
}

bool Refused(const TransferCall& call) {
    const std::uint32_t limit = IsBlock(call) && call.pec ? 65534u : 65535u;
    return call.count > limit || call.speed < 46'333 || call.speed > 4'000'000;
}

std::uint64_t TransferBudgetMs(const TransferCall& call) {
    if (Refused(call)) {
        return 0;
    }
    return i2c::TransferBudgetMs(call.count, call.speed, IsBlock(call) && call.pec ? 1 : 0);
}

std::uint64_t TransferBoundMs(const TransferCall& call) {
    if (Refused(call)) {
        return 0;  // refused at once
    }
    return i2c::TransferTimeBoundMs(call.count, call.speed, IsBlock(call) && call.pec ? 1 : 0);
}

void CheckDeadlineKept(const TransferCall& call, int result, std::uint64_t calledAtMs,
                       const std::vector<LoggedExchange>& log) {
    const std::uint64_t deadline = calledAtMs + TransferBudgetMs(call);
    int late = 0;
    for (const LoggedExchange& exchange : log) {
        if (exchange.writtenAtMs < deadline) {
            continue;
        }
        ++late;
        const bool cancel = exchange.request[0] == kStatusCommand && exchange.request[2] == 0x10;
        if (!cancel || late > 1) {
            Finding("%s sent a 0x%02x request %llu ms after its budget had passed", NameOf(call),
                    exchange.request[0], static_cast<unsigned long long>(exchange.writtenAtMs - deadline));
        }
        if (result != KELVANE_E_TIMEOUT) {
            Finding("%s cancelled the transfer on the chip and returned %d", NameOf(call), result);
        }
    }
}

void CheckWriteSucceeded(const TransferCall& call, std::span<const std::uint8_t> data,
                         const std::vector<LoggedExchange>& log) {
    std::vector<std::uint8_t> stream(data.begin(), data.end());
    if (call.kind == TransferKind::kSmbusWrite && call.pec) {
        const std::uint8_t address[] = {call.address};
        stream.push_back(Crc8(data, Crc8(address)));
    }
    const std::size_t total = stream.size();
    std::vector<std::uint8_t> sent;
    bool accepted = false;
    for (const LoggedExchange& exchange : log) {
        const Report& request = exchange.request;
        if (request[0] != kWriteCommand) {
            continue;
        }
        if (CountIn(request) != total || request[3] != call.address) {
            Finding("%s: a 0x90 report carries count %u and address 0x%02x, not %zu and 0x%02x", NameOf(call),
                    CountIn(request), request[3], total, call.address);
        }
        if (!exchange.response || (*exchange.response)[1] != 0) {
            continue;
        }
        if (accepted && sent.size() == total) {
            Finding("%s: the chip accepted a piece after the whole data", NameOf(call));
        }
        accepted = true;
        const std::size_t length = std::min(kPiece, total - sent.size());
        sent.insert(sent.end(), request.begin() + 4, request.begin() + 4 + static_cast<std::ptrdiff_t>(length));
        if (!std::all_of(request.begin() + 4 + static_cast<std::ptrdiff_t>(length), request.end(),
                         [](std::uint8_t b) { return b == 0; })) {
            Finding("%s: a 0x90 report carries stale bytes after its piece", NameOf(call));
        }
    }
    if (sent != stream) {
        Finding("%s reported success, but the chip accepted %zu bytes that are not the %zu bytes to write",
                NameOf(call), sent.size(), total);
    }
    if (log.empty() || log.back().request[0] != kStatusCommand || !log.back().response) {
        Finding("%s reported success without ending on a status answer", NameOf(call));
    }
    const Report& last = *log.back().response;
    if (last[8] != 0) {
        Finding("%s reported success while the engine shows state 0x%02x", NameOf(call), last[8]);
    }
    if (call.kind == TransferKind::kI2cWrite && (last[20] & 0x40) != 0) {
        Finding("%s reported success while the status shows the address not acknowledged", NameOf(call));
    }
}

void CheckReadSucceeded(const TransferCall& call, std::span<const std::uint8_t> buffer, std::uint8_t fill,
                        const std::vector<LoggedExchange>& log) {
    const std::uint32_t total = Total(call);
    const std::uint8_t startCommand = call.kind == TransferKind::kI2cRead ? kReadCommand : kReadAfterWrite;
    const std::uint8_t readAddress =
        call.kind == TransferKind::kI2cRead ? call.address : static_cast<std::uint8_t>(call.address | 1);
    bool started = false;
    bool awaitingRead = false;
    std::vector<std::uint8_t> arrived;
    for (const LoggedExchange& exchange : log) {
        const Report& request = exchange.request;
        if (request[0] == startCommand) {
            if (CountIn(request) != total || request[3] != readAddress) {
                Finding("%s: the read request carries count %u and address 0x%02x, not %u and 0x%02x",
                        NameOf(call), CountIn(request), request[3], total, readAddress);
            }
            started = true;
        }
        if (!exchange.response) {
            continue;
        }
        const Report& response = *exchange.response;
        if (request[0] == kStatusCommand && response[8] == 0x45) {
            awaitingRead = true;
        }
        if (request[0] != kGetData || response[1] != 0 || response[3] == 0 || response[3] > kPiece ||
            response[2] == 0x25) {
            continue;
        }
        arrived.insert(arrived.end(), response.begin() + 4, response.begin() + 4 + response[3]);
    }
    if (!started) {
        Finding("%s reported success without sending its read request", NameOf(call));
    }
    if (call.kind == TransferKind::kSmbusRead && !awaitingRead) {
        Finding("%s reported success although the engine never waited for the read", NameOf(call));
    }
    if (arrived.size() > total) {
        Finding("%s reported success with %zu bytes for a count of %u", NameOf(call), arrived.size(), total);
    }
    if (call.kind == TransferKind::kSmbusRead && call.pec) {
        if (arrived.size() != total) {
            Finding("SmbReadBlock with PEC reported success after %zu of %u bytes", arrived.size(), total);
        }
        const std::uint8_t header[] = {call.address, call.index, readAddress};
        const std::uint8_t expected = Crc8(std::span(arrived).first(call.count), Crc8(header));
        if (arrived.back() != expected) {
            Finding("SmbReadBlock reported success with code 0x%02x, expected 0x%02x", arrived.back(), expected);
        }
    }
    const std::size_t stored = std::min<std::size_t>(arrived.size(), call.count);
    if (!std::equal(arrived.begin(), arrived.begin() + static_cast<std::ptrdiff_t>(stored), buffer.begin())) {
        Finding("%s: the buffer does not hold the %zu bytes the chip sent", NameOf(call), stored);
    }
    if (!std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(stored), buffer.end(),
                     [fill](std::uint8_t b) { return b == fill; })) {
        Finding("%s: bytes after the %zu the chip sent were changed", NameOf(call), stored);
    }
}

}  // namespace kelvane::fuzz
