// What the chip's inputs see, when it moves with the wall clock: a waveform
// at each ADC channel (constant, sine, ramp or noise, in millivolts) and a
// GPIO input level that flips every so many milliseconds. The chip reads
// them when it answers: the status command's ADC readings, and the levels
// of the get-GPIO command.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace kelvane::sim {

enum class Waveform { kConstant, kSine, kRamp, kNoise };

struct AnalogSignal {
    Waveform wave = Waveform::kConstant;
    // constant: max; sine: between min and max; ramp: from min up to max in
    // every period; noise: anywhere from min to max, anew at every reading.
    std::uint32_t minMv = 0;
    std::uint32_t maxMv = 0;
    std::uint32_t periodMs = 1000;
};

// A GPIO input's level: `level` at even multiples of toggleMs of the wall
// clock, the other level between (toggleMs 0: always `level`).
struct LevelSignal {
    std::uint8_t level = 0;
    std::uint32_t toggleMs = 0;
};

// The signal's value at a time of the wall clock, in millivolts.
std::uint32_t MillivoltsAt(const AnalogSignal& signal, std::uint64_t wallMs);

// The 10-bit reading of a voltage against the ADC reference that a
// runtime-settings selector names (bit 0 clear: the supply, taken as
// 5000 mV; 0b011 1024 mV, 0b101 2048 mV, 0b111 4096 mV), 1023 at most.
std::uint16_t AdcReading(std::uint32_t millivolts, std::uint8_t selector);

std::uint8_t LevelAt(const LevelSignal& signal, std::uint64_t wallMs);

struct InputSignals {
    std::array<std::optional<AnalogSignal>, 3> analog;
    std::array<std::optional<LevelSignal>, 4> levels;
    // Milliseconds of the wall clock (system_clock unless a test sets it).
    std::function<std::uint64_t()> wallClockMs;

    std::uint64_t NowMs() const;
};

}  // namespace kelvane::sim
