#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kI2cRPage[] =
    L"\n"
    L"i2cR=<bytes to read> slave<8|7>=<slave address> [speed=<communication speed] [f=<file path>] \n"
    L"    Reads 1 to 65535 bytes from an I2C slave and shows them, or appends\n"
    L"    them to a file.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"    -> f=<file path> : append the bytes read to this file\n"
    L"\n"
    L"Ex: -i2cr=5 -slave8=a0 -speed=400000 -f=\"results/read.txt\"\n"
    L"    Reads 5 bytes from the slave at 8-bit address a0 at 400000 bps and\n"
    L"    appends them to the file.\n";

}  // namespace kelvane::cli
