#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kGpioCPage[] =
    L"\n"
    L"gpioC=<GP0 function,GP1 function,GP2 function,GP3 function>\n"
    L"    Sets the pins GP0 to GP3 to digital input or output. Only the runtime\n"
    L"    settings of the Kelvane change; the settings it loads at power-up stay\n"
    L"    as they are. A pin given a direction works as a GPIO from then on.\n"
    L"\n"
    L"Pin functions:\n"
    L"    -> in  : digital input\n"
    L"    -> out : digital output\n"
    L"    -> -   : leave the pin unchanged\n"
    L"\n"
    L"Ex: -gpioC=in,out,-,-\n"
    L"    Sets GP0 as input and GP1 as output; GP2 and GP3 stay unchanged.\n";

}  // namespace kelvane::cli
