#include "output/data_file.h"

#include <optional>

namespace kelvane::cli {
namespace {

// White space of the C locale, as scanf skips it.
bool IsWhiteSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigit(int c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The next character that is not white space (EOF at the end).
int SkipWhiteSpace(std::FILE* file) {
    int c = std::getc(file);
    while (IsWhiteSpace(c)) {
        c = std::getc(file);
    }
    return c;
}

// Reads the digits from c on; the low 8 bits of the number.
std::uint8_t ReadDigits(std::FILE* file, int c) {
    std::uint8_t value = 0;
    while (HexDigit(c) >= 0) {
        value = static_cast<std::uint8_t>((value << 4) | HexDigit(c));
        c = std::getc(file);
    }
    std::ungetc(c, file);
    return value;
}

// A number starting with c (a digit, or "0x"/"0X"), without its sign.
std::uint8_t ReadUnsigned(std::FILE* file, int c) {
    if (c == '0') {
        const int next = std::getc(file);
        if (next == 'x' || next == 'X') {
            const int digit = std::getc(file);
            return ReadDigits(file, digit);  // no digit: the prefix's own 0
        }
        std::ungetc(next, file);
    }
    return ReadDigits(file, c);
}

// A number starting with c, or nullopt (nothing more read) when c cannot
// start one. A sign starts a number only when a digit follows it.
std::optional<std::uint8_t> ReadNumber(std::FILE* file, int c) {
    if (c == '+' || c == '-') {
        const int next = std::getc(file);
        std::ungetc(next, file);
        if (HexDigit(next) < 0) {
            return std::nullopt;
        }
        const std::uint8_t magnitude = ReadUnsigned(file, std::getc(file));
        return c == '-' ? static_cast<std::uint8_t>(-magnitude) : magnitude;
    }
    if (HexDigit(c) < 0) {
        return std::nullopt;
    }
    return ReadUnsigned(file, c);
}

// After a number: white space, one comma if there is one.
void SkipSeparator(std::FILE* file) {
    const int c = SkipWhiteSpace(file);
    if (c != ',') {
        std::ungetc(c, file);
    }
}

}  // namespace

std::size_t ReadDataFile(std::FILE* file, std::uint8_t* destination, std::size_t capacity) {
    std::rewind(file);
    std::size_t count = 0;
    while (count < capacity) {
        const int c = SkipWhiteSpace(file);
        if (c == EOF) {
            break;
        }
        const std::optional<std::uint8_t> number = ReadNumber(file, c);
        if (!number) {
            continue;  // c, which cannot start a number, is skipped
        }
        destination[count++] = *number;
        SkipSeparator(file);
    }
    return count;
}

}  // namespace kelvane::cli
