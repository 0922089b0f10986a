#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kDevicesPage[] =
    L"\n"
    L"devices\n"
    L"    List all connected Kelvanes matching the VID / PID values\n";

}  // namespace kelvane::cli
