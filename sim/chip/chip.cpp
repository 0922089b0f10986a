#include "chip/chip.h"

namespace kelvane::sim {
namespace {

constexpr std::uint8_t kStatusCommand = 0x10;
constexpr std::uint8_t kResetCommand = 0x70;
constexpr std::uint8_t kI2cGetData = 0x40;
constexpr std::uint8_t kI2cWrite = 0x90;
constexpr std::uint8_t kI2cRead = 0x91;
constexpr std::uint8_t kI2cReadAfterWrite = 0x93;
constexpr std::uint8_t kI2cWriteBeforeRead = 0x94;
constexpr std::uint8_t kUnsupported = 0x01;  // status of a command the chip does not know

bool IsResetRequest(const Report& request) {
    return request[1] == 0xAB && request[2] == 0xCD && request[3] == 0xEF;
}

}  // namespace

Chip::Chip(std::uint16_t vendorId, std::uint16_t productId)
    : configuration_(vendorId, productId) {}

void Chip::Record(std::uint64_t atUs, std::uint8_t reportNumber, const Report& request) {
    if (recording_) {
        requests_.push_back({atUs, reportNumber, request});
    }
}

Chip::Answer Chip::Handle(const Report& request, Report& response, std::uint64_t nowUs) {
    response.fill(0);
    response[0] = request[0];
    switch (request[0]) {
        case kStatusCommand:
            HandleStatus(request, response, nowUs);
            return Answer::kResponse;
        case kI2cWrite:
        case kI2cWriteBeforeRead:
            engine_.HandleWrite(request, response, nowUs, request[0] == kI2cWriteBeforeRead);
            return Answer::kResponse;
        case kI2cRead:
        case kI2cReadAfterWrite:
            engine_.HandleRead(request, response, nowUs, request[0] == kI2cReadAfterWrite);
            return Answer::kResponse;
        case kI2cGetData:
            engine_.HandleGetData(response, nowUs);
            return Answer::kResponse;
        case kResetCommand:
            return IsResetRequest(request) ? Answer::kReset : Answer::kNone;
        case 0x51:  // get GPIO values
            SampleInputLevels();
            configuration_.Handle(request, response);
            return Answer::kResponse;
        case 0x50:  // set GPIO values
        case 0x60:  // set runtime settings
        case 0x61:  // get runtime settings
        case 0xB0:  // read flash
        case 0xB1:  // write flash
        case 0xB2:  // access password
            configuration_.Handle(request, response);
            return Answer::kResponse;
        default:
            response[1] = kUnsupported;
            return Answer::kResponse;
    }
}

void Chip::HandleStatus(const Report& request, Report& response, std::uint64_t nowUs) {
    // Layout of the status and parameters command, as the chip defines it.
    if (request[2] == 0x10) {
        response[2] = engine_.Cancel(nowUs);
    }
    if (request[3] == 0x20) {
        response[3] = engine_.SetDivider(request[4], nowUs);
    }
    response[8] = engine_.State(nowUs);
    response[20] = engine_.Flags(nowUs);
    response[22] = sclLine;
    response[23] = sdaLine;
    response[46] = static_cast<std::uint8_t>(hardwareRevision[0]);
    response[47] = static_cast<std::uint8_t>(hardwareRevision[1]);
    response[48] = static_cast<std::uint8_t>(firmwareRevision[0]);
    response[49] = static_cast<std::uint8_t>(firmwareRevision[1]);
    const bool anySignal = inputs.analog[0] || inputs.analog[1] || inputs.analog[2];
    const std::uint64_t wallMs = anySignal ? inputs.NowMs() : 0;
    for (std::size_t i = 0; i < adcReadings.size(); ++i) {
        const std::uint16_t reading =
            inputs.analog[i] ? AdcReading(MillivoltsAt(*inputs.analog[i], wallMs),
                                          configuration_.runtime.settings.adcReference)
                             : adcReadings[i];
        response[50 + 2 * i] = static_cast<std::uint8_t>(reading & 0xFF);
        response[51 + 2 * i] = static_cast<std::uint8_t>(reading >> 8);
    }
}

void Chip::SampleInputLevels() {
    bool any = false;
    for (const auto& level : inputs.levels) {
        any = any || level.has_value();
    }
    if (!any) {
        return;
    }
    const std::uint64_t wallMs = inputs.NowMs();
    for (std::size_t pin = 0; pin < inputs.levels.size(); ++pin) {
        if (inputs.levels[pin]) {
            configuration_.runtime.inputLevels[pin] = LevelAt(*inputs.levels[pin], wallMs);
        }
    }
}

void Chip::PowerUp() {
    engine_.Reset();
    configuration_.PowerUp();
}

}  // namespace kelvane::sim
