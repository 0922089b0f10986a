#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kGpioRPage[] =
    L"\n"
    L"gpioR=gp<pin number>[,gp<pin number>,gp<pin number>,gp<pin number>]\n"
    L"    Reads the values of the given GPIO pins and shows them in pin order.\n"
    L"\n"
    L"Pin Names:\n"
    L"    -> gp0 (or 0)\n"
    L"    -> gp1 (or 1)\n"
    L"    -> gp2 (or 2)\n"
    L"    -> gp3 (or 3)\n"
    L"\n"
    L"Ex: -gpioR=gp1,0\n"
    L"    Reads the values of GP0 and GP1.\n";

}  // namespace kelvane::cli
