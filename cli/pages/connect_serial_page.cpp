#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kConnectSPage[] =
    L"\n"
    L"connectS=<serial number> \n"
    L"    Connects to the Kelvane with the given serial number before the\n"
    L"    command runs. The value must match exactly, letter case included, a\n"
    L"    serial number listed by the devices command. This option takes\n"
    L"    precedence over connectI. Without either option the Kelvane with\n"
    L"    index 0 is used.\n";

}  // namespace kelvane::cli
