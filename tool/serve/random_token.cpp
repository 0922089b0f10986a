#include "serve/random_token.h"

#include <array>
#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on
#else
#include <sys/random.h>

#include <cerrno>
#endif

#include "common/failure.h"

namespace kelvane::tool::serve {
namespace {

constexpr std::size_t kBytes = 32;
constexpr std::size_t kShortest = 32;
constexpr std::size_t kLongest = 256;

bool FillRandom(std::array<std::uint8_t, kBytes>& bytes) {
#ifdef _WIN32
    return BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
#else
    std::size_t filled = 0;
    // getrandom gives up to 256 bytes at once once the pool is ready; a
    // signal may cut it short. Bounded: a few tries.
    for (int attempt = 0; attempt < 16 && filled < bytes.size(); ++attempt) {
        const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got < 0 && errno != EINTR) {
            return false;
        }
    }
    return filled == bytes.size();
#endif
}

}  // namespace

std::string RandomToken() {
    std::array<std::uint8_t, kBytes> bytes{};
    if (!FillRandom(bytes)) {
        throw Failure("serve: the system gave no random bytes for the token");
    }
    std::string token;
    for (const std::uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        token += digits;
    }
    return token;
}

bool TokenAcceptable(const std::string& token) {
    return token.size() >= kShortest && token.size() <= kLongest &&
           token.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.~") ==
               std::string::npos;
}

}  // namespace kelvane::tool::serve
