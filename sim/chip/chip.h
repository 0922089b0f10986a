// A virtual Kelvane chip: the chip's side of the report protocol.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "chip/chip_configuration.h"
#include "chip/fault_injector.h"
#include "chip/i2c_engine.h"
#include "chip/input_signals.h"
#include "core/report.h"

namespace kelvane::sim {

// A request as the chip received it.
struct LoggedRequest {
    std::uint64_t atUs = 0;
    std::uint8_t reportNumber = 0;  // byte 0 of the wire form
    Report bytes{};
};

class Chip {
public:
    enum class Answer { kResponse, kNone, kReset };

    Chip(std::uint16_t vendorId, std::uint16_t productId);

    // The USB identifiers the chip enumerates with: those of its runtime
    // settings, loaded from flash at its last power-up.
    std::uint16_t VendorId() const { return configuration_.runtime.settings.vendorId; }
    std::uint16_t ProductId() const { return configuration_.runtime.settings.productId; }

    // Handles one request at a virtual time. kResponse fills the response;
    // kReset asks the bench to take the chip off the bus and back.
    Answer Handle(const Report& request, Report& response, std::uint64_t nowUs);

    // Back to the power-up state after a reset request: the runtime settings
    // reload from flash, and the chip comes back with the USB identifiers
    // stored there.
    void PowerUp();

    FaultInjector& Faults() { return faults_; }
    I2cEngine& Engine() { return engine_; }
    // Flash, runtime settings and GPIO pins.
    ChipConfiguration& Config() { return configuration_; }

    // Requests received, in order (while recording is on).
    const std::vector<LoggedRequest>& Requests() const { return requests_; }
    void ClearRequests() { requests_.clear(); }
    void SetRecording(bool on) { recording_ = on; }
    void Record(std::uint64_t atUs, std::uint8_t reportNumber, const Report& request);

    // Values the status command reports.
    std::uint8_t sclLine = 1;
    std::uint8_t sdaLine = 1;
    std::array<char, 2> hardwareRevision{'A', '6'};
    std::array<char, 2> firmwareRevision{'1', '2'};
    std::array<std::uint16_t, 3> adcReadings{0, 0, 0};
    // Inputs that move with the wall clock: a channel with a signal reads
    // it (instead of adcReadings), a GPIO input with one sees its level.
    InputSignals inputs;

private:
    void HandleStatus(const Report& request, Report& response, std::uint64_t nowUs);
    // The levels of the GPIO inputs that have a signal, at this moment.
    void SampleInputLevels();

    I2cEngine engine_;
    FaultInjector faults_;
    ChipConfiguration configuration_;
    std::vector<LoggedRequest> requests_;
    bool recording_ = true;
};

}  // namespace kelvane::sim
