// The configuration file: TOML that people edit by hand. A table per
// section ([usb], [pins.gp0], ..., [protection]), a line per key, comments
// on lines of their own above the keys they explain, never after a value.
// toml11 reads it; the writer lays it out in key order, strings as one-line
// basic strings.
#pragma once

#include <string>
#include <string_view>

#include "config/config_keys.h"

namespace kelvane::tool {

// The file's text for the exported keys of config, in key order.
std::string ConfigToToml(const Config& config);

// The keys of a file's text; UsageError that names the file for text that is
// no TOML (or larger than 64 KiB, or nested deeper than any file of ours), a
// key we do not know, or a value that does not fit its key.
Config ConfigFromToml(std::string_view text, const std::string& fileName);

}  // namespace kelvane::tool
