#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kVidPage[] =
    L"\n"
    L"vid = <value>\n"
    L"    Sets the USB vendor identifier (VID) of the Kelvanes to look for. The\n"
    L"    value is hexadecimal, at most 4 digits. Without this option the\n"
    L"    default VID 0x1209 is used.\n"
    L"\n"
    L"Ex: -vid=123;\n"
    L"    Looks for Kelvanes with the VID 0x123.\n";

}  // namespace kelvane::cli
