#include "chip/input_signals.h"

#include <chrono>
#include <algorithm>
#include <cmath>

namespace kelvane::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kSupplyMv = 5000;

// A well-mixed 64-bit value of a time (splitmix64's finaliser).
std::uint64_t Mixed(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace

std::uint32_t MillivoltsAt(const AnalogSignal& signal, std::uint64_t wallMs) {
    const std::uint32_t low = std::min(signal.minMv, signal.maxMv);
    const std::uint32_t span = signal.maxMv - low;
    const std::uint32_t period = signal.periodMs == 0 ? 1 : signal.periodMs;
    const double phase = static_cast<double>(wallMs % period) / period;
    switch (signal.wave) {
        case Waveform::kConstant:
            return signal.maxMv;
        case Waveform::kSine:
            return low + static_cast<std::uint32_t>(std::lround(span * (1.0 + std::sin(2.0 * kPi * phase)) / 2.0));
        case Waveform::kRamp:
            return low + static_cast<std::uint32_t>(span * phase);
        case Waveform::kNoise:
            return low + static_cast<std::uint32_t>(Mixed(wallMs) % (static_cast<std::uint64_t>(span) + 1));
    }
    return 0;
}

std::uint16_t AdcReading(std::uint32_t millivolts, std::uint8_t selector) {
    std::uint32_t referenceMv = kSupplyMv;
    if ((selector & 0x01) != 0) {
        referenceMv = (selector & 0x07) == 0b011 ? 1024 : (selector & 0x07) == 0b101 ? 2048 : 4096;
    }
    const std::uint64_t reading = static_cast<std::uint64_t>(millivolts) * 1024 / referenceMv;
    return static_cast<std::uint16_t>(std::min<std::uint64_t>(reading, 1023));
}

std::uint8_t LevelAt(const LevelSignal& signal, std::uint64_t wallMs) {
    if (signal.toggleMs == 0) {
        return signal.level;
    }
    return static_cast<std::uint8_t>(signal.level ^ ((wallMs / signal.toggleMs) & 1));
}

std::uint64_t InputSignals::NowMs() const {
    if (wallClockMs) {
        return wallClockMs();
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace kelvane::sim
