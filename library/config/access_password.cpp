#include "config/access_password.h"

#include <algorithm>

#include "core/report_channel.h"
#include "kelvane.h"

namespace kelvane::config {
namespace {

constexpr std::size_t kPasswordByte = 2;
constexpr int kStatusPasswordRejected = 3;

}  // namespace

std::optional<core::Password> PasswordFromString(const char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    core::Password password{};
    for (std::size_t i = 0; i < password.size(); ++i) {
        if (text[i] == '\0') {
            return std::nullopt;
        }
        password[i] = static_cast<std::uint8_t>(text[i]);
    }
    return password;
}

int SendAccessPassword(const core::Password& password) {
    Report request{};
    request[kCommandByte] = kSendAccessPassword;
    std::copy(password.begin(), password.end(), request.begin() + kPasswordByte);
    Report response{};
    const int result = core::CommandExchange(request, response, core::StatusCheck::kExamine);
    if (result == kStatusPasswordRejected) {
        return KELVANE_E_PASSWORD_REJECTED;
    }
    return result;
}

}  // namespace kelvane::config
