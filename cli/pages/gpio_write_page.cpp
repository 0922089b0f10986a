#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kGpioWPage[] =
    L"\n"
    L"gpioW=<GP0val,GP1val,GP2val,GP3val>\n"
    L"    Sets the output values of the pins GP0 to GP3. Only the runtime\n"
    L"    settings of the Kelvane change; a value shows on a pin only when the\n"
    L"    pin is a GPIO output.\n"
    L"\n"
    L"Pin Values:\n"
    L"    -> high : output high\n"
    L"    -> low  : output low\n"
    L"    -> -    : leave the pin unchanged\n"
    L"\n"
    L"Ex: -gpioW=high,low,-,-\n"
    L"    Sets GP0 high and GP1 low; GP2 and GP3 stay unchanged.\n";

}  // namespace kelvane::cli
