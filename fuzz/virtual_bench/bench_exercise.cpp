#include "virtual_bench/bench_exercise.h"

#include <string>
#include <vector>

#include "bench/chip_state_file.h"
#include "bench/sim_platform.h"
#include "kelvane.h"
#include "platform/platform.h"
#include "support/finding.h"
#include "support/guarded_buffer.h"
#include "support/program_run.h"

namespace kelvane::fuzz {
namespace {

const std::vector<std::vector<std::wstring>> kCommandLines = {
    {L"KelvaneCLI", L"-devices"},
    {L"KelvaneCLI", L"-i2cr=16", L"-slave7=50"},
    {L"KelvaneCLI", L"-i2cw=01,02,03", L"-slave7=50"},
    {L"KelvaneCLI", L"-smbr=4", L"-slave7=0b", L"-register=10", L"-pec=on"},
    {L"KelvaneCLI", L"-smbw=c1,c2", L"-slave7=0b", L"-register=20", L"-pec=on"},
    {L"KelvaneCLI", L"-gpioR=gp0,gp1,gp2,gp3"},
    {L"KelvaneCLI", L"-gpioC=out,in,-,-"},
    {L"KelvaneCLI", L"-gpioW=high,low,high,low"},
    {L"KelvaneCLI", L"-connectI=1", L"-i2cr=1", L"-slave7=50"},
    {L"KelvaneCLI", L"-connectS=KV000001", L"-i2cr=1", L"-slave7=50"},
};

void StringGetter(const char* name, std::size_t units, int (*get)(KelvaneChar*)) {
    GuardedBuffer<KelvaneChar> buffer(units, 0x5A5A);
    const int result = get(buffer.Data());
    if (!buffer.Intact() || (result == KELVANE_SUCCESS && !buffer.Terminated())) {
        Finding("%s overran or left unterminated its %zu-unit buffer", name, units);
    }
}

}  // namespace

void ExerciseBench(sim::Bench& bench) {
    sim::SimPlatform platform(bench);
    platform::SetActivePlatform(&platform);
    for (const std::vector<std::wstring>& arguments : kCommandLines) {
        RunProgramInProcess(arguments);
    }

    DllInit();
    GetConnectionStatus();
    StringGetter("GetUsbStringManufacturer", 31, GetUsbStringManufacturer);
    StringGetter("GetUsbStringDescriptor", 31, GetUsbStringDescriptor);
    StringGetter("GetSerialNumber", 31, GetSerialNumber);
    StringGetter("GetFactorySerialNumber", 61, GetFactorySerialNumber);
    for (int target = 0; target <= 1; ++target) {
        GuardedBuffer<unsigned char> designation(4, 0), direction(4, 0), value(4, 0);
        GetGpPinConfiguration(target, designation.Data(), direction.Data(), value.Data());
        if (!designation.Intact() || !direction.Intact() || !value.Intact()) {
            Finding("GetGpPinConfiguration wrote outside its arrays");
        }
        GetInterruptPinMode(target);
        GetClockPinDividerValue(target);
    }
    GuardedBuffer<unsigned short> adc(3, 0);
    GetAdcData(adc.Data());
    GuardedBuffer<char> firmware(4, 'x');
    GuardedBuffer<char> hardware(3, 'x');
    GetFirmwareVersion(firmware.Data());
    GetHardwareVersion(hardware.Data());
    if (!adc.Intact() || !firmware.Intact() || !hardware.Intact()) {
        Finding("a status getter wrote outside its buffer");
    }
    GetUsbVid();
    GetUsbPid();
    GetUsbPowerSource();
    GetFlashProtectionState();
    GetDacVoltageReference();
    GetAdcVoltageReference();
    ReadGpioPinValue(0);
    DllInit();
    platform::SetActivePlatform(nullptr);
}

void CheckStateRoundTrip(sim::Bench& bench, const sim::BenchDescription& description) {
    const std::string text = sim::ChipStateText(bench, description);
    sim::Bench fresh;
    sim::BuildBench(description, fresh);
    if (!sim::ApplyChipStateText(text, fresh, description)) {
        Finding("a state text written for a bench is not taken back");
    }
    if (sim::ChipStateText(fresh, description) != text) {
        Finding("a state text read back gives another state");
    }
}

}  // namespace kelvane::fuzz
