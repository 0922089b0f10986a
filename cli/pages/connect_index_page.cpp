#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kConnectIPage[] =
    L"\n"
    L"connectI=<index> \n"
    L"    Connects to the Kelvane with the given index before the command runs.\n"
    L"    The first Kelvane has index 0; the indexes are those that the devices\n"
    L"    command lists. Without this option the Kelvane with index 0 is used.\n";

}  // namespace kelvane::cli
