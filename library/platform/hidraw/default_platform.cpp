#include "platform/hidraw/hidraw_platform.h"

namespace kelvane::platform {

Platform& DefaultPlatform() {
    static HidrawPlatform platform;
    return platform;
}

}  // namespace kelvane::platform
