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
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

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
    // The getrandom system call, not glibc's wrapper of it (glibc 2.25 and
    // later: the portable build runs with 2.17); /dev/urandom where the
    // kernel has no such call (before Linux 3.17). Either may give fewer
    // bytes than asked or be cut short by a signal: bounded, a few tries.
    std::size_t filled = 0;
    bool system_call = true;
    int urandom = -1;
    for (int attempt = 0; attempt < 16 && filled < bytes.size(); ++attempt) {
        ssize_t got = -1;
        if (system_call) {
            got = syscall(SYS_getrandom, bytes.data() + filled, bytes.size() - filled, 0u);
            if (got < 0 && errno == ENOSYS) {
                system_call = false;
                urandom = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
                if (urandom < 0) return false;
                continue;
            }
        } else {
            got = read(urandom, bytes.data() + filled, bytes.size() - filled);
        }
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    if (urandom >= 0) close(urandom);
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
