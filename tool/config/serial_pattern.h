// Serial numbers for chips set up one after another: a pattern with one
// place for the number, "{n}", or "{n:W}" / "{n:0W}" for a width of W digits
// padded with spaces or zeros ("LAB-{n:04}" gives LAB-0017 for 17); "{{" and
// "}}" stand for braces.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane::tool {

class SerialPattern {
public:
    // UsageError for a pattern without exactly one place, or a width above 20.
    static SerialPattern Parse(std::string_view pattern);

    // The serial number for n.
    std::string Serial(std::uint64_t n) const;

private:
    std::string before_;
    std::string after_;
    unsigned width_ = 0;
    char pad_ = ' ';
};

}  // namespace kelvane::tool
