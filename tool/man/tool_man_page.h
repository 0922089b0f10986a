// The manual page kelvane(1), made at build time from the program's own
// help (the main page and every subcommand's), so that the two never tell
// different things.
#pragma once

#include <string>

namespace kelvane::tool {

// The whole page in man(7) format, in ASCII.
std::string ToolManPage();

}  // namespace kelvane::tool
