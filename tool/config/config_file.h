// Reading and writing a configuration file by its name (UTF-8).
#pragma once

#include <string>

namespace kelvane::tool {

// The file's text; Failure when it cannot be read. At most 64 KiB and one
// byte are read, which is enough for the TOML reader to refuse a larger
// file.
std::string ReadConfigFile(const std::string& name);

// Writes the text as a text file (CR LF line ends on Windows); Failure when
// it cannot be written whole.
void WriteConfigFile(const std::string& name, const std::string& text);

}  // namespace kelvane::tool
