#include "platform/platform.h"

namespace kelvane::platform {
namespace {
Platform* g_installed = nullptr;
}  // namespace

Platform& ActivePlatform() {
    return g_installed != nullptr ? *g_installed : DefaultPlatform();
}

void SetActivePlatform(Platform* platform) {
    g_installed = platform;
}

}  // namespace kelvane::platform
