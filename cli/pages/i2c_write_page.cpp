#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kI2cWPage[] =
    L"\n"
    L"i2cW=<data bytes> slave<8|7>=<slave address> [speed=<communication speed]\n"
    L"    Writes up to 65535 data bytes, hexadecimal and comma separated, to an\n"
    L"    I2C slave.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal; for 8-bit\n"
    L"       addresses the R/W bit is controlled by the software\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"\n"
    L"Ex: -i2cw=aa,bb -slave8=a0 -speed=400000 \n"
    L"    Writes the bytes aa and bb to the slave at 8-bit address a0 at\n"
    L"    400000 bps.\n";

}  // namespace kelvane::cli
