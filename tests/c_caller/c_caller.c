/* A C program that uses the library as its users do: through kelvane.h and
 * the import library (Windows) or the shared object (elsewhere), on the
 * virtual chip of bench.txt. Calls with many arguments and with a 64-bit
 * result check that caller and library agree on the calling convention
 * (__stdcall in 32-bit Windows). Prints each failed check and ends with 1
 * when there was one. */
#include <stdio.h>
#include <string.h>

#include "kelvane.h"

static int failures = 0;

#define CHECK(condition)                                            \
    do {                                                            \
        if (!(condition)) {                                         \
            printf("%s:%d: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                             \
        }                                                           \
    } while (0)

int main(void) {
    static const char serial[] = "KV000042";
    KelvaneChar text[31];
    unsigned char data[8];
    size_t i;

    CHECK(DllInit() == 0);
    CHECK(GetConnectionStatus() == 1);
    CHECK(GetDevCount() == 1);
    CHECK(SelectDev(1) == KELVANE_E_SELECT_INDEX);

    memset(text, 0xA5, sizeof text);
    CHECK(GetSerialNumber(text) == 0);
    for (i = 0; i < sizeof serial; ++i) {
        CHECK(text[i] == (KelvaneChar)serial[i]);
    }
    CHECK(GetUsbVid() == KELVANE_DEFAULT_VID);
    CHECK(GetUsbPid() == KELVANE_DEFAULT_PID);

    /* The EEPROM at 7-bit address 0x50 holds byte i = i from 0x10 on. */
    memset(data, 0, sizeof data);
    CHECK(WriteI2cData(0xA0, (const unsigned char*)"\x10", 1, 400000) == 0);
    CHECK(ReadI2cData(0xA1, data, 4, 400000) == 0);
    for (i = 0; i < 4; ++i) {
        CHECK(data[i] == 0x10 + i);
    }
    /* Register 0x20 of the SMBus device at 0x0B, with PEC. */
    memset(data, 0, sizeof data);
    CHECK(SmbReadBlock(0x16, data, 4, 100000, 1, 0x20) == 0);
    for (i = 0; i < 4; ++i) {
        CHECK(data[i] == 0x20 + i);
    }
    /* Arguments are checked in their order. */
    CHECK(ReadI2cData(0xA1, data, 4, 1) == KELVANE_E_ARGUMENT_4);
    CHECK(SmbReadBlock(0x16, data, 65535, 100000, 1, 0x20) == KELVANE_E_ARGUMENT_3);

    if (failures == 0) {
        printf("all checks passed\n");
    }
    return failures == 0 ? 0 : 1;
}
