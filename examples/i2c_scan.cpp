// Scans a chip's I2C bus for slaves: a one-byte read from every 7-bit
// address that the I2C specification leaves to devices (0x08 to 0x77); a
// slave that acknowledges its address answers. Picks the chip by serial
// number when one is given on the command line.
//
// Build:  c++ -std=c++17 i2c_scan.cpp $(pkg-config --cflags --libs kelvane) -o i2c_scan
#include <cstdio>
#include <string>
#include <vector>

#include <kelvane.h>

namespace {

std::string SerialNumber() {
    KelvaneChar buffer[31] = {};
    if (GetSerialNumber(buffer) != KELVANE_SUCCESS) {
        return {};
    }
    std::string serial;
    for (const KelvaneChar* c = buffer; *c != 0; ++c) {
        serial.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
    }
    return serial;
}

// Selects the chip with that serial number (the first chip for an empty
// one); false when there is none.
bool SelectChip(const std::string& wanted) {
    GetConnectionStatus();
    const int count = GetDevCount();
    for (int i = 0; i < count; ++i) {
        SelectDev(static_cast<unsigned int>(i));
        if (GetConnectionStatus() && (wanted.empty() || SerialNumber() == wanted)) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string wanted = argc > 1 ? argv[1] : "";
    DllInit();
    if (!SelectChip(wanted)) {
        std::printf("No Kelvane chip%s%s found.\n", wanted.empty() ? "" : " ", wanted.c_str());
        return 1;
    }
    std::printf("Chip %s, I2C bus at 100 kbit/s:\n", SerialNumber().c_str());

    std::vector<int> found;
    for (int address7 = 0x08; address7 <= 0x77; ++address7) {
        unsigned char byte = 0;
        const int result = ReadI2cData(static_cast<unsigned char>(address7 << 1 | 1), &byte, 1, 100000);
        if (result == KELVANE_SUCCESS) {
            found.push_back(address7);
        } else if (result != KELVANE_E_ADDRESS_NACK) {
            std::printf("The scan stopped at 0x%02X: %d\n", address7, result);
            return 1;
        }
    }
    std::printf("%zu slave(s):", found.size());
    for (const int address7 : found) {
        std::printf(" 0x%02X", address7);
    }
    std::printf("\n");
    return 0;
}
