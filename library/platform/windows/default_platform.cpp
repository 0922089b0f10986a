#include "platform/windows/windows_platform.h"

namespace kelvane::platform {

Platform& DefaultPlatform() {
    static WindowsPlatform platform;
    return platform;
}

}  // namespace kelvane::platform
