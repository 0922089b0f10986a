// The benchmark's platform: the virtual bench of SimPlatform, whose pauses
// either only advance the virtual clock (skipped) or also really sleep, whose
// opens may cost virtual time, and which counts the reports written and the
// pause time asked for (SimPlatform counts the opens).
#pragma once

#include <cstdint>

#include "bench/bench.h"
#include "bench/sim_platform.h"
#include "slaves/eeprom_slave.h"
#include "slaves/smbus_device.h"

namespace kelvane::bench {

// kPlain sleeps with the standard library; kPrecise with the pause of the
// library's hidraw backend.
enum class Sleeping { kSkipped, kPlain, kPrecise };

class BenchPlatform : public sim::SimPlatform {
public:
    BenchPlatform(sim::Bench& bench, Sleeping sleeping)
        : SimPlatform(bench), clock_(bench.Clock()), sleeping_(sleeping) {}

    // Every open takes this long on the virtual clock (0 unless set).
    void SetOpenCostMs(std::uint32_t ms) { openCostMs_ = ms; }

    platform::DeviceHandle Open(std::string_view path, platform::OpenMode mode) override;
    platform::TransferStatus Write(platform::DeviceHandle handle, const platform::WireReport& report,
                                   std::uint32_t timeoutMs) override;
    void SleepMs(std::uint32_t milliseconds) override;

    std::uint64_t Writes() const { return writes_; }
    std::uint64_t PrescribedMs() const { return prescribedMs_; }

private:
    sim::VirtualClock& clock_;
    Sleeping sleeping_;
    std::uint32_t openCostMs_ = 0;
    std::uint64_t writes_ = 0;
    std::uint64_t prescribedMs_ = 0;
};

// A connected virtual chip with a 64 KiB EEPROM at 0x50 and an SMBus device
// with 64 Ki registers at 0x0B on its bus, installed as the library's
// platform for the lifetime of the object.
class BenchSetup {
public:
    static constexpr unsigned char kEepromAddress = 0xA0;
    static constexpr unsigned char kSmbusAddress = 0x16;

    explicit BenchSetup(Sleeping sleeping);
    ~BenchSetup();
    BenchSetup(const BenchSetup&) = delete;
    BenchSetup& operator=(const BenchSetup&) = delete;

    BenchPlatform& Platform() { return platform_; }
    sim::Chip& Chip() { return *chip_; }
    sim::SmbusDevice& SmbusDevice() { return *smbus_; }

private:
    sim::Bench bench_;
    BenchPlatform platform_;
    sim::Chip* chip_ = nullptr;
    sim::SmbusDevice* smbus_ = nullptr;
};

}  // namespace kelvane::bench
