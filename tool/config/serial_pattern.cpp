#include "config/serial_pattern.h"

#include "common/failure.h"

namespace kelvane::tool {
namespace {

constexpr unsigned kWidest = 20;

}  // namespace

SerialPattern SerialPattern::Parse(std::string_view pattern) {
    SerialPattern result;
    bool placed = false;
    auto refuse = [&](const std::string& problem) {
        throw UsageError("--serial-pattern '" + std::string(pattern) + "': " + problem);
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        std::string& text = placed ? result.after_ : result.before_;
        const char c = pattern[i];
        if ((c == '{' || c == '}') && i + 1 < pattern.size() && pattern[i + 1] == c) {
            text += c;
            ++i;
            continue;
        }
        if (c == '}') {
            refuse("a single } (write }} for a brace)");
        }
        if (c != '{') {
            text += c;
            continue;
        }
        const std::size_t close = pattern.find('}', i);
        if (close == std::string_view::npos || placed) {
            refuse(placed ? "more than one place for the number" : "a { without its }");
        }
        const std::string_view field = pattern.substr(i + 1, close - i - 1);
        if (field.substr(0, 1) != "n" || (field.size() > 1 && field[1] != ':')) {
            refuse("the place for the number is {n}, {n:W} or {n:0W}");
        }
        std::string_view width = field.size() > 2 ? field.substr(2) : std::string_view();
        if (field.size() == 2) {
            refuse("a width after the colon is needed");
        }
        if (!width.empty() && width[0] == '0') {
            result.pad_ = '0';
            width.remove_prefix(1);
        }
        for (const char digit : width) {
            if (digit < '0' || digit > '9' || result.width_ > kWidest) {
                refuse("the width is a number of digits up to 20");
            }
            result.width_ = result.width_ * 10 + static_cast<unsigned>(digit - '0');
        }
        if (result.width_ > kWidest) {
            refuse("the width is a number of digits up to 20");
        }
        placed = true;
        i = close;
    }
    if (!placed) {
        refuse("no place for the number ({n})");
    }
    return result;
}

std::string SerialPattern::Serial(std::uint64_t n) const {
    std::string number = std::to_string(n);
    if (number.size() < width_) {
        number.insert(0, width_ - number.size(), pad_);
    }
    return before_ + number + after_;
}

}  // namespace kelvane::tool
