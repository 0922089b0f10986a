// A device path in a fixed slot: at most 255 bytes of UTF-8 and a terminator.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace kelvane::core {

class DevicePath {
public:
    static constexpr std::size_t kCapacity = 256;  // including the terminator
    static constexpr std::size_t kMaxLength = kCapacity - 1;

    // Stores the path whole; returns false, and stores nothing, when it is
    // too long for the slot or contains a NUL.
    bool Assign(std::string_view path) {
        if (path.size() > kMaxLength || path.find('\0') != std::string_view::npos) {
            return false;
        }
        std::memcpy(text_.data(), path.data(), path.size());
        text_[path.size()] = '\0';
        length_ = path.size();
        return true;
    }

    void Clear() {
        text_[0] = '\0';
        length_ = 0;
    }

    std::string_view View() const { return {text_.data(), length_}; }
    const char* CStr() const { return text_.data(); }
    bool Empty() const { return length_ == 0; }

    friend bool operator==(const DevicePath& a, const DevicePath& b) {
        return a.View() == b.View();
    }

private:
    std::array<char, kCapacity> text_{};
    std::size_t length_ = 0;
};

}  // namespace kelvane::core
