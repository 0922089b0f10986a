#include "hostile_chip/export_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/call_lock.h"
#include "hostile_chip/transfer_checks.h"
#include "kelvane.h"
#include "support/finding.h"
#include "support/guarded_buffer.h"

namespace kelvane::fuzz {
namespace {

constexpr std::uint64_t kExchangeMs = 2 * HostilePlatform::kTransferLimitMs;

// The results that every export talking to the chip may give.
const std::vector<int> kChannel = {KELVANE_E_WRITE_FAILED, KELVANE_E_READ_FAILED, KELVANE_E_WRONG_ECHO,
                                   KELVANE_E_CHIP_BUSY};

std::vector<int> With(std::initializer_list<int> more) {
    std::vector<int> codes = kChannel;
    codes.insert(codes.end(), more);
    return codes;
}

// Small values mostly, now and then any value.
int SmallInt(ByteScript& in, int range) {
    const std::uint8_t pick = in.U8();
    if (pick < 0xF0) {
        return pick % range;
    }
    return static_cast<int>(in.U32());
}

// Speeds around every edge: the usual ones, the ends of the range with a
// divider, 0, and any value.
std::uint32_t PickSpeed(ByteScript& in) {
    static constexpr std::uint32_t kSpeeds[] = {100'000, 400'000, 48'000,    0,         46'332, 46'333,
                                                4'000'000, 4'000'001, 1'320'000, 1'320'001, 1};
    const std::uint8_t pick = in.U8() % 12;
    return pick < 11 ? kSpeeds[pick] : in.U32();
}

// Counts around the piece size mostly; sometimes any 16-bit count, or one at
// and past the limits.
std::uint32_t PickCount(ByteScript& in) {
    const std::uint8_t pick = in.U8();
    if (pick < 0xC0) {
        return pick % 130;
    }
    if (pick < 0xF0) {
        return in.U16();
    }
    static constexpr std::uint32_t kEdges[] = {65533, 65534, 65535, 65536, 0xFFFFFFFF};
    const std::uint8_t edge = pick & 0x0F;
    return edge < 5 ? kEdges[edge] : in.U32();
}

}  // namespace

void ExportDriver::SetIdentifiers(int vendorId, int productId) {
    if (vendorId < 0 || vendorId > 0xFFFF || productId < 0 || productId > 0xFFFF) {
        platform_.SetChipIdentifiers(std::nullopt);
        return;
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string id = "HID\\VID_0000&PID_0000&REV_0100";
    for (int i = 0; i < 4; ++i) {
        id[8 + i] = kDigits[(vendorId >> (12 - 4 * i)) & 0xF];
        id[17 + i] = kDigits[(productId >> (12 - 4 * i)) & 0xF];
    }
    platform_.SetChipIdentifiers(id);
}

void ExportDriver::Start() {
    SetIdentifiers(KELVANE_DEFAULT_VID, KELVANE_DEFAULT_PID);
    DllInit();
}

void ExportDriver::Check(const Limits& limits, long long result, std::uint64_t boundMs) {
    // A wait for the chip's lock (bounded by the library's wait limit) is
    // not the call's own time.
    const std::uint64_t elapsed = platform_.NowMs() - startMs_ - platform_.LockWaitedMs();
    const std::uint64_t scans = platform_.Enumerations() - startEnumerations_;
    // KELVANE_FUZZ_TRACE=1 shows each call when an input is run by hand.
    static const bool trace = std::getenv("KELVANE_FUZZ_TRACE") != nullptr;
    if (trace) {
        std::fprintf(stderr, "%s -> %lld (%llu ms, %zu reports, %llu scans)\n", limits.name, result,
                     static_cast<unsigned long long>(elapsed), platform_.Log().size(),
                     static_cast<unsigned long long>(scans));
    }
    if (elapsed > boundMs) {
        Finding("%s took %llu ms on the platform clock, more than its bound of %llu ms", limits.name,
                static_cast<unsigned long long>(elapsed), static_cast<unsigned long long>(boundMs));
    }
    if (scans > (limits.scans ? 1u : 0u)) {
        Finding("%s scanned %llu times", limits.name, static_cast<unsigned long long>(scans));
    }
    // A scan opens the selected chip at most: its write and read handle.
    const std::uint64_t opens = platform_.Opens() - startOpens_;
    if (opens > 2 * scans) {
        Finding("%s opened %llu handles in %llu scans", limits.name, static_cast<unsigned long long>(opens),
                static_cast<unsigned long long>(scans));
    }
    if (limits.exchanges >= 0 && platform_.Log().size() > static_cast<std::size_t>(limits.exchanges)) {
        Finding("%s sent %zu reports, more than its %d", limits.name, platform_.Log().size(), limits.exchanges);
    }
    const bool documented = result >= 0 ? result <= limits.maxValue
                                        : std::find(limits.failures.begin(), limits.failures.end(), result) !=
                                              limits.failures.end();
    if (!documented) {
        Finding("%s returned %lld, which it does not document", limits.name, result);
    }
    const bool argumentCode = result <= KELVANE_E_ARGUMENT_1 && result >= KELVANE_E_ARGUMENT_4;
    if (argumentCode && !platform_.Log().empty() &&
        std::find(limits.lateArgumentCodes.begin(), limits.lateArgumentCodes.end(), result) ==
            limits.lateArgumentCodes.end()) {
        Finding("%s refused an argument with %lld after sending a report", limits.name, result);
    }
    if (platform_.LockHeld()) {
        Finding("%s returned still holding the chip's lock", limits.name);
    }
    if (platform_.LockWaitedMs() > core::ChipWaitLimitMs()) {
        Finding("%s waited %llu ms for the chip's lock", limits.name,
                static_cast<unsigned long long>(platform_.LockWaitedMs()));
    }
    // Two handles per table entry at most.
    if (platform_.OpenHandleCount() > 2 * 64) {
        Finding("%s left %d handles open", limits.name, platform_.OpenHandleCount());
    }
}

void ExportDriver::CallNext(ByteScript& in) {
    const int which = in.U8() % kExportCount;
    startMs_ = platform_.NowMs();
    startEnumerations_ = platform_.Enumerations();
    startOpens_ = platform_.Opens();
    platform_.ClearLog();
    Call(which, in);
}

void ExportDriver::Call(int which, ByteScript& in) {
    // Exports without an exchange: results and no time at all.
    auto plain = [&](const char* name, long long maxValue, std::vector<int> failures, long long result) {
        Check({name, maxValue, std::move(failures), 0, false}, result, 0);
    };
    // Exports of `exchanges` request/response pairs at most, after at most
    // one scan.
    auto chip = [&](const char* name, long long maxValue, std::vector<int> failures, int exchanges,
                    long long result) {
        Check({name, maxValue, std::move(failures), exchanges, true}, result,
              static_cast<std::uint64_t>(exchanges) * kExchangeMs);
    };
    // A string the chip sends back: terminated within the buffer on success.
    auto stringGetter = [&](const char* name, std::size_t units, int (*get)(KelvaneChar*)) {
        if (in.U8() == 0xFF) {
            chip(name, 0, With({KELVANE_E_ARGUMENT_1}), 0, get(nullptr));
            return;
        }
        GuardedBuffer<KelvaneChar> buffer(units, 0x5A5A);
        const int result = get(buffer.Data());
        chip(name, 0, kChannel, 1, result);
        if (!buffer.Intact()) {
            Finding("%s wrote outside its %zu-unit buffer", name, units);
        }
        if (result == KELVANE_SUCCESS && !buffer.Terminated()) {
            Finding("%s left its string unterminated", name);
        }
    };
    // A terminated string of up to 39 units (more than a descriptor holds),
    // allocated to its exact length: mostly printable, sometimes any unit.
    // A longer string is refused before anything is sent; a string that
    // fits goes to the chip as a descriptor of exactly its units.
    auto stringSetter = [&](const char* name, std::uint8_t subCode, int (*set)(const KelvaneChar*)) {
        const std::size_t units = in.U8() % 41;
        if (units == 40) {
            chip(name, 255, With({KELVANE_E_ARGUMENT_1}), 0, set(nullptr));
            return;
        }
        GuardedBuffer<KelvaneChar> text(units + 1, 0);
        const bool wild = in.U8() >= 0xE0;
        for (std::size_t i = 0; i < units; ++i) {
            const std::uint8_t b = in.U8();
            text[i] = wild ? static_cast<KelvaneChar>(b | (in.U8() << 8)) : static_cast<KelvaneChar>(0x20 + b % 95);
        }
        const int result = set(text.Data());
        chip(name, 255, With({KELVANE_E_ARGUMENT_1}), 1, result);
        if (!text.Intact()) {
            Finding("%s touched memory around its string", name);
        }
        const std::size_t length = static_cast<std::size_t>(std::find(text.Data(), text.Data() + units, 0) - text.Data());
        if (length > 30 && result != KELVANE_E_ARGUMENT_1) {
            Finding("%s took a string of %zu units", name, length);
        }
        if (platform_.Log().empty()) {
            return;
        }
        Report expected{};
        expected[0] = 0xB1;
        expected[1] = subCode;
        expected[2] = static_cast<std::uint8_t>(2 + 2 * length);
        expected[3] = 0x03;
        for (std::size_t i = 0; i < length; ++i) {
            expected[4 + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
            expected[5 + 2 * i] = static_cast<std::uint8_t>(text[i] >> 8);
        }
        if (platform_.Log().front().request != expected) {
            Finding("%s sent another descriptor than its string of %zu units", name, length);
        }
    };
    auto password = [&](const char* name, std::vector<int> failures, int exchanges, int (*set)(const char*)) {
        const std::size_t length = in.U8() % 13;
        if (length == 12) {
            chip(name, 255, failures, 0, set(nullptr));
            return;
        }
        GuardedBuffer<char> text(length + 1, 0);
        for (std::size_t i = 0; i < length; ++i) {
            text[i] = static_cast<char>(1 + in.U8() % 255);
        }
        const int result = set(text.Data());
        chip(name, 255, std::move(failures), exchanges, result);
        if (!text.Intact()) {
            Finding("%s touched memory around its password", name);
        }
        if (length < 8 && result != KELVANE_E_ARGUMENT_1) {
            Finding("%s took a password of %zu characters", name, length);
        }
    };
    auto versionGetter = [&](const char* name, std::size_t bytes, int (*get)(char*)) {
        if (in.U8() == 0xFF) {
            chip(name, 255, With({KELVANE_E_ARGUMENT_1}), 0, get(nullptr));
            return;
        }
        GuardedBuffer<char> buffer(bytes, 'x');
        const int result = get(buffer.Data());
        chip(name, 255, kChannel, 1, result);
        if (!buffer.Intact()) {
            Finding("%s wrote outside its %zu-byte buffer", name, bytes);
        }
        if (result == KELVANE_SUCCESS && buffer[bytes - 1] != '\0') {
            Finding("%s left its text unterminated", name);
        }
        if (result == KELVANE_SUCCESS && bytes == 4 && buffer[1] != '.') {
            Finding("%s wrote no \"X.Y\"", name);
        }
    };
    auto pinArrays = [&](const char* name, bool set, int target) {
        const std::uint8_t nulls = in.U8();
        GuardedBuffer<unsigned char> designation(4, 0xEE), direction(4, 0xEE), value(4, 0xEE);
        for (GuardedBuffer<unsigned char>* array : {&designation, &direction, &value}) {
            for (std::size_t pin = 0; set && pin < 4; ++pin) {
                const std::uint8_t b = in.U8();
                (*array)[pin] = b < 0xF0 ? b % 6 : b;
            }
        }
        unsigned char* a = (nulls & 0xF0) == 0xF0 && (nulls & 1) ? nullptr : designation.Data();
        unsigned char* b = (nulls & 0xF0) == 0xF0 && (nulls & 2) ? nullptr : direction.Data();
        unsigned char* c = (nulls & 0xF0) == 0xF0 && (nulls & 4) ? nullptr : value.Data();
        const std::vector<int> failures =
            With({KELVANE_E_ARGUMENT_1, KELVANE_E_ARGUMENT_2, KELVANE_E_ARGUMENT_3, KELVANE_E_ARGUMENT_4});
        const std::vector<std::uint8_t> before = {designation[0], designation[1], designation[2], designation[3],
                                                  direction[0],   direction[1],   direction[2],   direction[3],
                                                  value[0],       value[1],       value[2],       value[3]};
        const int result = set ? SetGpPinConfiguration(target, a, b, c) : GetGpPinConfiguration(target, a, b, c);
        chip(name, 255, failures, set ? 2 : 1, result);
        if (!designation.Intact() || !direction.Intact() || !value.Intact()) {
            Finding("%s wrote outside its 4-byte arrays", name);
        }
        const std::vector<std::uint8_t> after = {designation[0], designation[1], designation[2], designation[3],
                                                 direction[0],   direction[1],   direction[2],   direction[3],
                                                 value[0],       value[1],       value[2],       value[3]};
        if (result < 0 && after != before) {
            Finding("%s changed the caller's arrays and failed with %d", name, result);
        }
    };
    const std::vector<int> arg1 = With({KELVANE_E_ARGUMENT_1});

    switch (which) {
        // Initialisation and selection.
        case 0: {
            const int vendorId = in.U8() < 0xE0 ? KELVANE_DEFAULT_VID : static_cast<int>(in.U32());
            const int productId = in.U8() < 0xE0 ? KELVANE_DEFAULT_PID : static_cast<int>(in.U32());
            SetIdentifiers(vendorId, productId);
            plain("DllInitCustom", 0, {}, DllInitCustom(vendorId, productId));
            break;
        }
        case 1:
            SetIdentifiers(KELVANE_DEFAULT_VID, KELVANE_DEFAULT_PID);
            plain("DllInit", 0, {}, DllInit());
            break;
        case 2:
            DllCleanUp();
            plain("DllCleanUp", 0, {}, 0);
            break;
        case 3: {
            const int connected = GetConnectionStatus();
            Check({"GetConnectionStatus", 1, {}, 0, true}, connected, 0);
            if (connected == 1 && !(GetSelectedDevNumber() >= 0 && GetSelectedDevNumber() < GetDevCount())) {
                Finding("connected to chip %d of %d", GetSelectedDevNumber(), GetDevCount());
            }
            break;
        }
        case 4:
            plain("GetDevCount", 64, {}, GetDevCount());
            break;
        case 5:
            plain("GetSelectedDevNumber", 63, {}, GetSelectedDevNumber());
            break;
        case 6: {
            GuardedBuffer<char> buffer(256, 'x');
            plain("GetSelectedDevInfo", 0, {}, GetSelectedDevInfo(buffer.Data()));
            if (!buffer.Intact() || !buffer.Terminated()) {
                Finding("GetSelectedDevInfo overran or left unterminated its 256-byte buffer");
            }
            break;
        }
        case 7: {
            const auto index = static_cast<unsigned>(SmallInt(in, 70));
            const int result = SelectDev(index);
            plain("SelectDev", 0, {KELVANE_E_SELECT_INDEX}, result);
            if (result == KELVANE_SUCCESS && GetSelectedDevNumber() != static_cast<int>(index)) {
                Finding("SelectDev(%u) selected %d", index, GetSelectedDevNumber());
            }
            break;
        }

        // USB strings.
        case 8:
            stringGetter("GetUsbStringDescriptor", 31, GetUsbStringDescriptor);
            break;
        case 9:
            stringGetter("GetUsbStringManufacturer", 31, GetUsbStringManufacturer);
            break;
        case 10:
            stringGetter("GetSerialNumber", 31, GetSerialNumber);
            break;
        case 11:
            stringGetter("GetFactorySerialNumber", 61, GetFactorySerialNumber);
            break;
        case 12:
            stringSetter("SetUsbStringDescriptor", 0x03, SetUsbStringDescriptor);
            break;
        case 13:
            stringSetter("SetUsbStringManufacturer", 0x02, SetUsbStringManufacturer);
            break;
        case 14:
            stringSetter("SetSerialNumber", 0x04, SetSerialNumber);
            break;

        // USB settings.
        case 15:
            chip("GetSerialNumberEnumerationEnable", 255, kChannel, 1, GetSerialNumberEnumerationEnable());
            break;
        case 16:
            chip("SetSerialNumberEnumerationEnable", 255, kChannel, 2, SetSerialNumberEnumerationEnable(in.U8()));
            break;
        case 17:
            chip("GetUsbCurrentRequirement", 0xFFFF, kChannel, 1, GetUsbCurrentRequirement());
            break;
        case 18:
            chip("SetUsbCurrentRequirement", 255, arg1, 2, SetUsbCurrentRequirement(SmallInt(in, 520)));
            break;
        case 19:
            chip("GetUsbPowerSource", 255, With({KELVANE_E_NO_POWER_SOURCE}), 1, GetUsbPowerSource());
            break;
        case 20:
            chip("SetUsbPowerSource", 255, arg1, 2, SetUsbPowerSource(SmallInt(in, 3)));
            break;
        case 21:
            chip("GetUsbRemoteWakeupEnable", 255, kChannel, 1, GetUsbRemoteWakeupEnable());
            break;
        case 22:
            chip("SetUsbRemoteWakeupEnable", 255, kChannel, 2, SetUsbRemoteWakeupEnable(in.U8()));
            break;
        case 23:
            chip("GetUsbVid", 0xFFFF, kChannel, 1, GetUsbVid());
            break;
        case 24:
            chip("GetUsbPid", 0xFFFF, kChannel, 1, GetUsbPid());
            break;
        case 25: {
            const std::uint16_t vendorId = in.U16();
            chip("SetUsbVidPid", 255, kChannel, 2, SetUsbVidPid(vendorId, in.U16()));
            break;
        }

        // Pin functions.
        case 26:
            pinArrays("GetGpPinConfiguration", false, SmallInt(in, 3));
            break;
        case 27:
            pinArrays("SetGpPinConfiguration", true, SmallInt(in, 4));
            break;
        case 28: {
            const int target = SmallInt(in, 3);
            chip("GetGpPinDirection", 255, With({KELVANE_E_ARGUMENT_1, KELVANE_E_ARGUMENT_2, KELVANE_E_NOT_GPIO}),
                 1, GetGpPinDirection(target, static_cast<unsigned char>(SmallInt(in, 5))));
            break;
        }
        case 29: {
            const int target = SmallInt(in, 4);
            const auto pin = static_cast<unsigned char>(SmallInt(in, 5));
            chip("SetGpPinDirection", 255, With({KELVANE_E_ARGUMENT_1, KELVANE_E_ARGUMENT_2, KELVANE_E_ARGUMENT_3}),
                 3, SetGpPinDirection(target, pin, static_cast<unsigned char>(SmallInt(in, 3))));
            break;
        }
        case 30:
            chip("GetInterruptPinMode", 255, arg1, 1, GetInterruptPinMode(SmallInt(in, 3)));
            break;
        case 31: {
            const int target = SmallInt(in, 4);
            chip("SetInterruptPinMode", 255, With({KELVANE_E_ARGUMENT_1, KELVANE_E_ARGUMENT_2}), 3,
                 SetInterruptPinMode(target, SmallInt(in, 5)));
            break;
        }
        case 32:
            chip("GetDacVoltageReference", 255, With({KELVANE_E_NO_REFERENCE}), 1, GetDacVoltageReference());
            break;
        case 33:
            chip("SetDacVoltageReference", 255, arg1, 1, SetDacVoltageReference(SmallInt(in, 5)));
            break;
        case 34:
            chip("GetDacValue", 255, kChannel, 1, GetDacValue());
            break;
        case 35:
            chip("SetDacValue", 255, arg1, 1, SetDacValue(SmallInt(in, 33)));
            break;
        case 36:
            chip("GetAdcVoltageReference", 255, With({KELVANE_E_NO_REFERENCE}), 1, GetAdcVoltageReference());
            break;
        case 37:
            chip("SetAdcVoltageReference", 255, arg1, 1, SetAdcVoltageReference(SmallInt(in, 5)));
            break;
        case 38: {
            if (in.U8() == 0xFF) {
                chip("GetAdcData", 255, kChannel, 1, GetAdcData(nullptr));
                break;
            }
            GuardedBuffer<unsigned short> values(3, 0xBEEF);
            chip("GetAdcData", 255, kChannel, 1, GetAdcData(values.Data()));
            if (!values.Intact()) {
                Finding("GetAdcData wrote outside its three values");
            }
            break;
        }
        case 39:
            chip("GetClockPinDividerValue", 255, arg1, 1, GetClockPinDividerValue(SmallInt(in, 3)));
            break;
        case 40:
            chip("GetClockPinDutyCycle", 255, arg1, 1, GetClockPinDutyCycle(SmallInt(in, 3)));
            break;
        case 41: {
            const int target = SmallInt(in, 4);
            const int divider = SmallInt(in, 9);
            const int result = SetClockPinConfiguration(target, divider, SmallInt(in, 5));
            // The divider and duty cycle are checked after the status exchange.
            Check({"SetClockPinConfiguration", 255,
                   With({KELVANE_E_ARGUMENT_1, KELVANE_E_ARGUMENT_2, KELVANE_E_ARGUMENT_3}), 4, true,
                   {KELVANE_E_ARGUMENT_2, KELVANE_E_ARGUMENT_3}},
                  result, 4 * kExchangeMs);
            break;
        }
        case 42:
            chip("ClearInterruptPinState", 255, kChannel, 1, ClearInterruptPinState());
            break;

        // Power-up values.
        case 43:
            chip("GetInitialPinValueLedUartTx", 255, kChannel, 1, GetInitialPinValueLedUartTx());
            break;
        case 44:
            chip("SetInitialPinValueLedUartTx", 255, arg1, 2, SetInitialPinValueLedUartTx(SmallInt(in, 3)));
            break;
        case 45:
            chip("GetInitialPinValueLedUartRx", 255, kChannel, 1, GetInitialPinValueLedUartRx());
            break;
        case 46:
            chip("SetInitialPinValueLedUartRx", 255, arg1, 2, SetInitialPinValueLedUartRx(SmallInt(in, 3)));
            break;
        case 47:
            chip("GetInitialPinValueLedI2c", 255, kChannel, 1, GetInitialPinValueLedI2c());
            break;
        case 48:
            chip("SetInitialPinValueLedI2c", 255, arg1, 2, SetInitialPinValueLedI2c(SmallInt(in, 3)));
            break;
        case 49:
            chip("GetInitialPinValueSspnd", 255, kChannel, 1, GetInitialPinValueSspnd());
            break;
        case 50:
            chip("SetInitialPinValueSspnd", 255, arg1, 2, SetInitialPinValueSspnd(SmallInt(in, 3)));
            break;
        case 51:
            chip("GetInitialPinValueUsbcfg", 255, kChannel, 1, GetInitialPinValueUsbcfg());
            break;
        case 52:
            chip("SetInitialPinValueUsbcfg", 255, arg1, 2, SetInitialPinValueUsbcfg(SmallInt(in, 3)));
            break;

        // Flash protection.
        case 53:
            chip("GetFlashProtectionState", 255, kChannel, 1, GetFlashProtectionState());
            break;
        case 54:
            chip("SetFlashPermanentLock", 255, kChannel, 2, SetFlashPermanentLock());
            break;
        case 55:
            password("SetFlashPasswordProtection", With({KELVANE_E_ARGUMENT_1, KELVANE_E_FLASH_LOCKED}), 2,
                     SetFlashPasswordProtection);
            break;
        case 56:
            chip("SetFlashProtectionOff", 255, With({KELVANE_E_FLASH_LOCKED}), 2, SetFlashProtectionOff());
            break;
        case 57:
            password("EnterAccessPassword", With({KELVANE_E_ARGUMENT_1, KELVANE_E_PASSWORD_REJECTED}), 1,
                     EnterAccessPassword);
            break;

        // GPIO, versions, status, reset.
        case 58:
            chip("ReadGpioPinValue", 255, With({KELVANE_E_ARGUMENT_1, KELVANE_E_NOT_GPIO}), 1,
                 ReadGpioPinValue(static_cast<unsigned char>(SmallInt(in, 5))));
            break;
        case 59: {
            const auto pin = static_cast<unsigned char>(SmallInt(in, 5));
            chip("WriteGpioPinValue", 255, With({KELVANE_E_ARGUMENT_1, KELVANE_E_ARGUMENT_2}), 1,
                 WriteGpioPinValue(pin, static_cast<unsigned char>(SmallInt(in, 3))));
            break;
        }
        case 60:
            versionGetter("GetFirmwareVersion", 4, GetFirmwareVersion);
            break;
        case 61:
            versionGetter("GetHardwareVersion", 3, GetHardwareVersion);
            break;
        case 62: {
            const int result = ResetDevice();
            // The request is written and no answer read.
            Check({"ResetDevice", 0, {KELVANE_E_WRITE_FAILED, KELVANE_E_CHIP_BUSY}, 1, true}, result,
                  HostilePlatform::kTransferLimitMs);
            break;
        }
        case 63:
            chip("StopI2cDataTransfer", 255, kChannel, 1, StopI2cDataTransfer());
            break;
        case 64:
            chip("GetSclLineValue", 255, kChannel, 1, GetSclLineValue());
            break;
        case 65:
            chip("GetSdaLineValue", 255, kChannel, 1, GetSdaLineValue());
            break;

        // Transfers.
        default: {
            TransferCall call;
            call.kind = static_cast<TransferKind>(which - 66);
            call.address = in.U8();
            call.count = PickCount(in);
            call.speed = PickSpeed(in);
            const std::uint8_t flags = in.U8();
            call.pec = (flags & 1) != 0;
            call.index = in.U8();
            const bool null = flags >= 0xF8;
            const std::uint8_t seed = in.U8();
            // The buffer the caller has: count bytes, or a small one for a
            // count that the library must refuse before touching it.
            const std::size_t size = call.count <= 65535 ? call.count : 16;
            const std::uint8_t fill = 0xC3;
            GuardedBuffer<std::uint8_t> buffer(size, fill);
            if (call.kind == TransferKind::kI2cWrite || call.kind == TransferKind::kSmbusWrite) {
                for (std::size_t i = 0; i < size; ++i) {
                    buffer[i] = static_cast<std::uint8_t>(seed + i * 7);
                }
            }
            const std::vector<std::uint8_t> before(buffer.Data(), buffer.Data() + size);
            std::uint8_t* data = null ? nullptr : buffer.Data();
            int result = 0;
            const char* name = "";
            // Every transfer also ends with -18 when its deadline passes.
            std::vector<int> failures = {KELVANE_E_ARGUMENT_2, KELVANE_E_ARGUMENT_3, KELVANE_E_ARGUMENT_4,
                                         KELVANE_E_WRITE_FAILED, KELVANE_E_READ_FAILED, KELVANE_E_I2C_STATUS,
                                         KELVANE_E_COPY, KELVANE_E_TIMEOUT, KELVANE_E_CHIP_BUSY};
            switch (call.kind) {
                case TransferKind::kI2cWrite:
                    name = "WriteI2cData";
                    failures.insert(failures.end(), {KELVANE_E_SEND, KELVANE_E_ADDRESS_NACK});
                    result = WriteI2cData(call.address, data, call.count, call.speed);
                    break;
                case TransferKind::kI2cRead:
                    name = "ReadI2cData";
                    failures.insert(failures.end(), {KELVANE_E_TRANSFER_REFUSED, KELVANE_E_COMMAND_FAILED,
                                                     KELVANE_E_ADDRESS_NACK, KELVANE_E_NO_DATA,
                                                     KELVANE_E_TOO_MUCH_DATA});
                    result = ReadI2cData(call.address, data, call.count, call.speed);
                    break;
                case TransferKind::kSmbusWrite:
                    name = "SmbWriteBlock";
                    failures.insert(failures.end(), {KELVANE_E_SMB_SPEED_REFUSED, KELVANE_E_SEND});
                    result = SmbWriteBlock(call.address, data, call.count, call.speed, call.pec ? flags : 0);
                    break;
                case TransferKind::kSmbusRead:
                    name = "SmbReadBlock";
                    failures.insert(failures.end(),
                                    {KELVANE_E_SMB_SPEED_REFUSED, KELVANE_E_SMB_DATA_NACK, KELVANE_E_WRONG_PEC,
                                     KELVANE_E_SEND, KELVANE_E_ADDRESS_NACK,
                                     KELVANE_E_TRANSFER_REFUSED, KELVANE_E_COMMAND_FAILED, KELVANE_E_NO_DATA,
                                     KELVANE_E_TOO_MUCH_DATA});
                    result = SmbReadBlock(call.address, data, call.count, call.speed, call.pec ? flags : 0,
                                          call.index);
                    break;
            }
            // The data pointer is checked after the speed exchange.
            Check({name, 0, failures, -1, true, {KELVANE_E_ARGUMENT_2}}, result, TransferBoundMs(call));
            // The transfer's deadline starts once it holds the chip.
            CheckDeadlineKept(call, result, startMs_ + platform_.LockWaitedMs(), platform_.Log());
            if (!buffer.Intact()) {
                Finding("%s wrote outside its %zu-byte buffer", name, size);
            }
            const std::span<const std::uint8_t> now(buffer.Data(), size);
            const bool isWrite = call.kind == TransferKind::kI2cWrite || call.kind == TransferKind::kSmbusWrite;
            if (isWrite && !std::equal(now.begin(), now.end(), before.begin())) {
                Finding("%s changed the data it was given to write", name);
            }
            if (result != KELVANE_SUCCESS) {
                if (!isWrite && !std::equal(now.begin(), now.end(), before.begin()) &&
                    (result == KELVANE_E_ARGUMENT_3 || result == KELVANE_E_ARGUMENT_4)) {
                    Finding("%s wrote into the buffer of a call it refused", name);
                }
                break;
            }
            if (isWrite) {
                CheckWriteSucceeded(call, now, platform_.Log());
            } else {
                CheckReadSucceeded(call, now, fill, platform_.Log());
            }
            break;
        }
    }
}

}  // namespace kelvane::fuzz
