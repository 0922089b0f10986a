// Exports of the USB strings: manufacturer, product, serial number and the
// read-only factory serial number.
#include "config/usb_strings.h"
#include "core/call_lock.h"
#include "kelvane.h"

using namespace kelvane::config;

namespace {

int GetString(FlashString which, KelvaneChar* buffer, std::size_t capacity) {
    if (buffer == nullptr) {
        return KELVANE_E_ARGUMENT_1;
    }
    return ReadFlashString(which, buffer, capacity);
}

// A string longer than the descriptor holds is refused rather than stored
// cut short: the serial number in particular is how chips are told apart.
// The caller's string is read no further than one unit past the limit.
int SetString(FlashString which, const KelvaneChar* text) {
    if (text == nullptr) {
        return KELVANE_E_ARGUMENT_1;
    }
    std::size_t length = 0;
    while (length <= kMaxDescriptorChars && text[length] != 0) {
        ++length;
    }
    if (length > kMaxDescriptorChars) {
        return KELVANE_E_ARGUMENT_1;
    }
    return WriteFlashString(which, {text, length});
}

}  // namespace

extern "C" {

KELVANE_API int KELVANE_CALL GetUsbStringDescriptor(KelvaneChar* buffer) {
    const kelvane::core::CallLock lock;
    return GetString(FlashString::kProduct, buffer, kDescriptorBufferUnits);
}

KELVANE_API int KELVANE_CALL SetUsbStringDescriptor(const KelvaneChar* text) {
    const kelvane::core::CallLock lock;
    return SetString(FlashString::kProduct, text);
}

KELVANE_API int KELVANE_CALL GetUsbStringManufacturer(KelvaneChar* buffer) {
    const kelvane::core::CallLock lock;
    return GetString(FlashString::kManufacturer, buffer, kDescriptorBufferUnits);
}

KELVANE_API int KELVANE_CALL SetUsbStringManufacturer(const KelvaneChar* text) {
    const kelvane::core::CallLock lock;
    return SetString(FlashString::kManufacturer, text);
}

KELVANE_API int KELVANE_CALL GetSerialNumber(KelvaneChar* buffer) {
    const kelvane::core::CallLock lock;
    return GetString(FlashString::kSerialNumber, buffer, kDescriptorBufferUnits);
}

KELVANE_API int KELVANE_CALL SetSerialNumber(const KelvaneChar* text) {
    const kelvane::core::CallLock lock;
    return SetString(FlashString::kSerialNumber, text);
}

KELVANE_API int KELVANE_CALL GetFactorySerialNumber(KelvaneChar* buffer) {
    const kelvane::core::CallLock lock;
    return GetString(FlashString::kFactorySerial, buffer, kFactorySerialBufferUnits);
}

}  // extern "C"
