// Reading a small attribute file of sysfs, telling a file that is not there
// from one that could not be read.
#pragma once

#include <string>

namespace kelvane::platform::hidraw {

enum class SysfsReadStatus {
    kRead,    // content holds the file (at most kMaxSysfsFileSize bytes)
    kAbsent,  // no such file, or its device has gone away meanwhile
    kFailed,  // the file is there but reading it failed
};

struct SysfsFile {
    SysfsReadStatus status = SysfsReadStatus::kFailed;
    std::string content;
};

// sysfs attributes are at most one page; anything beyond this is not read.
inline constexpr std::size_t kMaxSysfsFileSize = 16384;

SysfsFile ReadSysfsFile(const std::string& path);

}  // namespace kelvane::platform::hidraw
