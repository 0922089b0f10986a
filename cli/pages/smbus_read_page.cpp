#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kSmbRPage[] =
    L"\n"
    L"smbR=<bytes to read> slave<8|7>=<slave address> register=<value> [pec=<on|off>] [speed=<communication speed] [f=<file path>] \n"
    L"    Reads 1 to 65534 bytes from a register of an SMBus slave and shows\n"
    L"    them, or appends them to a file.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> register=<value> : register index, hexadecimal\n"
    L"    -> pec=<on|off> : packet error checking (default off)\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"    -> f=<file path> : append the bytes read to this file\n"
    L"\n"
    L"Ex: -smbR=5 -slave8=a0 -register=0 -pec=on -speed=400000 -f=\"results/read.txt\"\n"
    L"    Reads 5 bytes from register 0 of the slave at 8-bit address a0 with\n"
    L"    packet error checking at 400000 bps and appends them to the file.\n";

}  // namespace kelvane::cli
