/* A program built for the MSVC ABI (clang --target=*-pc-windows-msvc,
 * lld-link) against KelvaneDLL-UM_x86.lib alone: in the 32-bit build every
 * call goes through the __stdcall declarations of kelvane.h and so refers
 * to the decorated name (_ReadI2cData@16), which the import library must
 * resolve to the DLL's plain export. It uses no C runtime: its entry point
 * is its own and it writes through kernel32 only. On the virtual chips it
 * prints the serial number and the first eight EEPROM bytes, and ends with
 * 0 only when every call returned what the default bench holds. */
#include "kelvane.h"

__declspec(dllimport) void* __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* data, unsigned long size,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned int code);

#define STD_OUTPUT_HANDLE ((unsigned long)-11)

static char line[128];
static unsigned length;

static void put(const char* text) {
    while (*text != '\0' && length < sizeof line) {
        line[length++] = *text++;
    }
}

static void put_hex(unsigned value) {
    static const char digits[] = "0123456789abcdef";
    char text[3] = {digits[(value >> 4) & 0xF], digits[value & 0xF], '\0'};
    put(text);
}

static void flush(void) {
    unsigned long written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, length, &written, 0);
    length = 0;
}

static unsigned failures;

static void check(int condition, const char* what) {
    if (!condition) {
        put("failed: ");
        put(what);
        put("\n");
        flush();
        ++failures;
    }
}

void start(void) {
    KelvaneChar serial[31];
    unsigned char address = 0x00;
    unsigned char data[8];
    unsigned i;

    check(DllInit() == 0, "DllInit");
    check(GetConnectionStatus() == 1, "GetConnectionStatus");
    check(GetDevCount() == 1, "GetDevCount");
    check(GetSerialNumber(serial) == 0, "GetSerialNumber");
    /* Calls with four and six arguments: a caller and a library that
     * disagree on who removes them from the stack do not get past these. */
    check(WriteI2cData(0xA0, &address, 1, 400000) == 0, "WriteI2cData");
    for (i = 0; i < sizeof data; ++i) {
        data[i] = 0xEE;
    }
    check(ReadI2cData(0xA1, data, 8, 400000) == 0, "ReadI2cData");
    check(ReadI2cData(0xA1, data, 8, 1) == KELVANE_E_ARGUMENT_4, "ReadI2cData speed check");
    check(SmbReadBlock(0x16, data, 65535, 100000, 1, 0x10) == KELVANE_E_ARGUMENT_3, "SmbReadBlock count check");

    put("SN = ");
    for (i = 0; i < 30 && serial[i] != 0; ++i) {
        char c[2] = {(char)serial[i], '\0'};
        put(c);
    }
    put(", EEPROM:");
    for (i = 0; i < sizeof data; ++i) {
        put(" ");
        put_hex(data[i]);
    }
    put("\n");
    flush();
    ExitProcess(failures == 0 ? 0 : 1);
}
