#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kSmbWPage[] =
    L"\n"
    L"smbW=<data bytes> slave<8|7>=<slave address> register=<value> [pec=<on|off>] [speed=<communication speed]\n"
    L"    Writes up to 65534 data bytes, hexadecimal and comma separated, to the\n"
    L"    register of an SMBus slave that register=<value> gives in hexadecimal.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> pec=<on|off> : packet error checking (default off)\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"\n"
    L"Ex: -smbw=aa,bb -slave8=a0 -register=0 -pec=on -speed=400000 \n"
    L"    Writes the bytes aa and bb to register 0 of the slave at 8-bit\n"
    L"    address a0 with packet error checking at 400000 bps.\n";

}  // namespace kelvane::cli
