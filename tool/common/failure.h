// How the program ends: exit statuses, the texts of the library's result
// codes, and the two kinds of failure that end a run early.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvane::tool {

// Exit statuses, as i2c-tools and most Unix tools use them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;  // an operation failed (chip, bus, library or file)
inline constexpr int kExitUsage = 2;   // the command line or a file's contents are not valid

// The text of a library result code: the library's own text where it has
// one, else ours ("the chip answered status 0x03" for 1 to 255).
std::string ResultText(int code);

// An operation that failed: `what` says what was being done ("read of
// register 0x10 at 0x50"); with a library result code, the message adds its
// text and number.
class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& what);
    Failure(const std::string& what, int code);

    bool HasCode() const { return hasCode_; }
    int Code() const { return code_; }
    // "what: text (code)", or "what".
    std::string Message() const;
    const std::string& What() const { return what_; }

private:
    std::string what_;
    bool hasCode_ = false;
    int code_ = 0;
};

// A command line or file that cannot be used; nothing has been done yet.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws Failure(what, result) unless result is 0.
void Check(int result, std::string_view what);

// "0x%02x" and "0x%04x" of i2c-tools.
std::string Hex2(unsigned value);
std::string Hex4(unsigned value);

}  // namespace kelvane::tool
