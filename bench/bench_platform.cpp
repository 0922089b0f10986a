#include "bench_platform.h"

#include <cstdio>
#include <cstdlib>

#include <chrono>
#include <thread>

#include "kelvane.h"
#include "platform/hidraw/report_io.h"

namespace kelvane::bench {

platform::DeviceHandle BenchPlatform::Open(std::string_view path, platform::OpenMode mode) {
    clock_.AdvanceMs(openCostMs_);
    return SimPlatform::Open(path, mode);
}

platform::TransferStatus BenchPlatform::Write(platform::DeviceHandle handle, const platform::WireReport& report,
                                              std::uint32_t timeoutMs) {
    ++writes_;
    return SimPlatform::Write(handle, report, timeoutMs);
}

void BenchPlatform::SleepMs(std::uint32_t milliseconds) {
    prescribedMs_ += milliseconds;
    SimPlatform::SleepMs(milliseconds);  // the virtual chip's clock follows the pauses
    switch (sleeping_) {
        case Sleeping::kSkipped: break;
        case Sleeping::kPlain: std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); break;
        case Sleeping::kPrecise: platform::hidraw::SleepForMs(milliseconds); break;
    }
}

BenchSetup::BenchSetup(Sleeping sleeping) : platform_(bench_, sleeping) {
    chip_ = &bench_.Attach("1");
    chip_->SetRecording(false);
    chip_->Engine().Bus().Attach<sim::EepromSlave>(kEepromAddress >> 1, 65536);
    smbus_ = &chip_->Engine().Bus().Attach<sim::SmbusDevice>(kSmbusAddress >> 1, 65536);
    platform::SetActivePlatform(&platform_);
    DllInit();
    if (GetConnectionStatus() != 1) {
        std::fprintf(stderr, "the virtual chip did not connect\n");
        std::abort();
    }
}

BenchSetup::~BenchSetup() {
    DllInit();  // closes the handles
    platform::SetActivePlatform(nullptr);
}

}  // namespace kelvane::bench
