#include "i2c/send_write_chunks.h"

#include <algorithm>
#include <span>

#include "i2c/acceptance_loop.h"
#include "i2c/i2c_protocol.h"
#include "i2c/poll_delay.h"
#include "kelvane.h"

namespace kelvane::i2c {
namespace {

void WriteHeader(Report& request, std::uint8_t command, std::size_t total, std::uint8_t address) {
    request.fill(0);
    request[kCommandByte] = command;
    request[kCountLowByte] = static_cast<std::uint8_t>(total & 0xFF);
    request[kCountHighByte] = static_cast<std::uint8_t>((total >> 8) & 0xFF);
    request[kAddressByte] = address;
}

}  // namespace

int SendWriteChunks(TransferReports& reports, std::uint8_t command, std::uint8_t address,
                    const WriteStream& stream, std::uint32_t delay) {
    const std::size_t total = stream.Size();
    WriteHeader(reports.request, command, total, address);
    const std::span<std::uint8_t> piece = std::span(reports.request).subspan(kPieceStart, kPieceSize);
    std::size_t offset = 0;
    do {
        const std::size_t count = std::min(total - offset, kPieceSize);
        std::fill(piece.begin(), piece.end(), 0);  // a short last piece leaves no stale bytes behind
        if (!stream.CopyOut(offset, count, piece)) {
            return KELVANE_E_COPY;
        }
        if (const int result = SendUntilAccepted(reports, delay); result != KELVANE_SUCCESS) {
            return result;
        }
        offset += count;
        Pause(reports, delay);
    } while (offset < total);
    return KELVANE_SUCCESS;
}

}  // namespace kelvane::i2c
