// A caller buffer of exactly the documented size, between two runs of guard
// units. Under AddressSanitizer the guards are poisoned, so that a library
// that reads or writes one is stopped at that very access; without it the
// guards still carry a pattern that Intact() verifies after the call.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define KELVANE_FUZZ_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define KELVANE_FUZZ_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#endif
#endif
#ifndef KELVANE_FUZZ_POISON
#define KELVANE_FUZZ_POISON(address, size) ((void)(address), (void)(size))
#define KELVANE_FUZZ_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

namespace kelvane::fuzz {

template <typename T>
class GuardedBuffer {
public:
    // Guards of 64 bytes on each side, whatever the unit.
    static constexpr std::size_t kGuardUnits = (64 + sizeof(T) - 1) / sizeof(T);

    GuardedBuffer(std::size_t size, T fill) : size_(size), storage_(size + 2 * kGuardUnits, kGuard) {
        std::fill_n(Data(), size_, fill);
        Poison();
    }
    ~GuardedBuffer() { Unpoison(); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    T* Data() { return storage_.data() + kGuardUnits; }
    const T* Data() const { return storage_.data() + kGuardUnits; }
    std::size_t Size() const { return size_; }
    T& operator[](std::size_t i) { return Data()[i]; }
    const T& operator[](std::size_t i) const { return Data()[i]; }

    // True when neither guard was written.
    bool Intact() {
        Unpoison();
        const bool front = std::all_of(storage_.begin(), storage_.begin() + kGuardUnits, IsGuard);
        const bool back = std::all_of(storage_.end() - kGuardUnits, storage_.end(), IsGuard);
        Poison();
        return front && back;
    }

    // True when a unit 0 lies within the buffer.
    bool Terminated() const { return std::find(Data(), Data() + size_, T{0}) != Data() + size_; }

private:
    static constexpr T kGuard = static_cast<T>(0xA5A5A5A5u);
    static bool IsGuard(T unit) { return unit == kGuard; }

    void Poison() {
        KELVANE_FUZZ_POISON(storage_.data(), kGuardUnits * sizeof(T));
        KELVANE_FUZZ_POISON(storage_.data() + kGuardUnits + size_, kGuardUnits * sizeof(T));
    }
    void Unpoison() { KELVANE_FUZZ_UNPOISON(storage_.data(), storage_.size() * sizeof(T)); }

    std::size_t size_;
    std::vector<T> storage_;
};

}  // namespace kelvane::fuzz
