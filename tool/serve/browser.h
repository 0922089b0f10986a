// Opening an address in the user's default browser: xdg-open on Linux,
// ShellExecute on Windows. Where there is none, nothing happens.
#pragma once

#include <string>

namespace kelvane::tool::serve {

// True when the browser was asked to open it (not that it did).
bool OpenInBrowser(const std::string& url);

}  // namespace kelvane::tool::serve
