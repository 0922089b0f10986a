// The token of a server: 32 bytes from the system's random source (256
// bits, as 64 hexadecimal digits), and the check of a token given with
// --token.
#pragma once

#include <string>

namespace kelvane::tool::serve {

// Failure when the system gives no random bytes.
std::string RandomToken();

// Whether a given token will do: 32 to 256 characters of letters, digits,
// '-', '_', '.' and '~' (what a URL carries as it is).
bool TokenAcceptable(const std::string& token);

}  // namespace kelvane::tool::serve
