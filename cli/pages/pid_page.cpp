#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kPidPage[] =
    L"\n"
    L"pid = <value>\n"
    L"    Sets the USB product identifier (PID) of the Kelvanes to look for. The\n"
    L"    value is hexadecimal, at most 4 digits. Without this option the\n"
    L"    default PID 0x4B56 is used.\n"
    L"\n"
    L"Ex: -pid=12;\n"
    L"    Looks for Kelvanes with the PID 0x12.\n";

}  // namespace kelvane::cli
