#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kI2cWFPage[] =
    L"\n"
    L"i2cWF=<file path> slave<8|7>=<slave address> [speed=<communication speed]\n"
    L"    Writes the data bytes of a file to an I2C slave. The file holds the\n"
    L"    data bytes as 8 bit hexadecimal values, comma separated.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal; for 8-bit\n"
    L"       addresses the R/W bit is controlled by the software\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"\n"
    L"Ex: -i2cwf=\"results/data.txt\" -slave8=a0 -speed=400000 \n"
    L"    Writes the bytes listed in the file to the slave at 8-bit address a0\n"
    L"    at 400000 bps.\n";

}  // namespace kelvane::cli
