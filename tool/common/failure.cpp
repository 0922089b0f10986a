#include "common/failure.h"

#include <cstdio>

namespace kelvane::tool {
namespace {

struct CodeText {
    int code;
    const char* text;
};

// The library's texts (kelvane.h) where it has them; the others are ours.
constexpr CodeText kTexts[] = {
    {-2, "no chip at that index"},
    {-4, "Kelvane write failed"},
    {-5, "Kelvane read failed"},
    {-6, "the chip's answer does not echo the request"},
    {-8, "Command failed"},
    {-9, "the reference selector has no reference number"},
    {-10, "the pin is not working as a GPIO"},
    {-11, "SMBus slave data NACK received"},
    {-12, "Wrong PEC (SMBus only)"},
    {-13, "the flash settings are permanently locked"},
    {-14, "the chip rejected the access password"},
    {-15, "the power attributes show neither bus nor self power"},
    {-17, "Error copying memory"},
    {-18, "Timeout"},
    {-19, "I2C/SMBus send Error"},
    {-21, "Error setting I2C/SMBus speed"},
    {-22, "Invalid I2C status"},
    {-23, "Address NACK received"},
    {-24, "Transfer wasn't possible"},
    {-25, "Command failed"},
    {-26, "Could not read data"},
    {-27, "Received more data bytes than requested"},
    {-28, "the chip is busy: another program held it for the whole wait"},
    {-201, "first argument out of range"},
    {-202, "second argument out of range"},
    {-203, "third argument out of range"},
    {-204, "fourth argument out of range"},
};

}  // namespace

std::string ResultText(int code) {
    for (const CodeText& entry : kTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    if (code >= 1 && code <= 255) {
        return "the chip answered status " + Hex2(static_cast<unsigned>(code));
    }
    return "unknown result";
}

Failure::Failure(const std::string& what) : std::runtime_error(what), what_(what) {}

Failure::Failure(const std::string& what, int code)
    : std::runtime_error(what), what_(what), hasCode_(true), code_(code) {}

std::string Failure::Message() const {
    if (!hasCode_) {
        return what_;
    }
    return what_ + ": " + ResultText(code_) + " (" + std::to_string(code_) + ")";
}

void Check(int result, std::string_view what) {
    if (result != 0) {
        throw Failure(std::string(what), result);
    }
}

std::string Hex2(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

std::string Hex4(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", value);
    return text;
}

}  // namespace kelvane::tool
