/* Lists the attached Kelvane chips with their serial numbers.
 *
 * Build:  cc list_chips.c $(pkg-config --cflags --libs kelvane) -o list_chips
 */
#include <stdio.h>

#include <kelvane.h>

/* Chip strings are UTF-16; serial numbers are ASCII in practice. */
static void print_chip_text(const KelvaneChar* text) {
    for (; *text != 0; ++text) {
        putchar(*text < 0x80 ? (int)*text : '?');
    }
}

int main(void) {
    /* Look for chips with the default identifiers (KELVANE_DEFAULT_VID and
     * KELVANE_DEFAULT_PID); DllInitCustom takes others. */
    DllInit();
    /* Every GetConnectionStatus scans the USB devices afresh. */
    if (!GetConnectionStatus()) {
        printf("No Kelvane chip found.\n");
        return 1;
    }
    const int count = GetDevCount();
    printf("%d chip(s):\n", count);
    for (int i = 0; i < count; ++i) {
        /* Selecting takes effect at the next scan. */
        SelectDev((unsigned int)i);
        GetConnectionStatus();
        KelvaneChar serial[31] = {0}; /* 30 characters and the terminator */
        printf("  %d: ", i);
        if (GetSerialNumber(serial) == KELVANE_SUCCESS) {
            print_chip_text(serial);
        } else {
            printf("(serial number not readable)");
        }
        putchar('\n');
    }
    return 0;
}
