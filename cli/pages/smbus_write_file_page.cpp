#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kSmbWFPage[] =
    L"\n"
    L"smbWF=<file path> slave<8|7>=<slave address> register=<value> [pec=<on|off>] [speed=<communication speed]\n"
    L"    Writes the data bytes of a file to the register of an SMBus slave that\n"
    L"    register=<value> gives in hexadecimal. The file holds the data bytes\n"
    L"    as 8 bit hexadecimal values, comma separated.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> pec=<on|off> : packet error checking (default off)\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"\n"
    L"Ex: -smbwf=\"results/data.txt\" -slave8=a0 -register=0 -pec=on -speed=400000 \n"
    L"    Writes the bytes listed in the file to register 0 of the slave at\n"
    L"    8-bit address a0 with packet error checking at 400000 bps.\n";

}  // namespace kelvane::cli
