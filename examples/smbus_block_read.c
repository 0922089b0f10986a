/* SMBus block read with packet error checking: 4 bytes from register 0x10
 * of the device at 7-bit address 0x0B (a smart battery's address).
 *
 * Build:  cc smbus_block_read.c $(pkg-config --cflags --libs kelvane) -o smbus_block_read
 */
#include <stdio.h>

#include <kelvane.h>

#define DEVICE_ADDRESS7 0x0B
#define REGISTER 0x10
#define COUNT 4
#define SPEED 100000 /* bit/s */

int main(void) {
    DllInit();
    if (!GetConnectionStatus()) {
        printf("No Kelvane chip found.\n");
        return 1;
    }
    unsigned char data[COUNT] = {0};
    /* The address in 8-bit form with bit 0 clear; the library sends the
     * register index, then reads COUNT bytes and the packet error code
     * (PEC), and checks the code over the whole exchange. */
    const int result = SmbReadBlock(DEVICE_ADDRESS7 << 1, data, COUNT, SPEED, 1 /* PEC */, REGISTER);
    if (result == KELVANE_E_WRONG_PEC) {
        printf("The data arrived corrupted (wrong PEC).\n");
        return 1;
    }
    if (result != KELVANE_SUCCESS) {
        printf("SMBus block read failed: %d\n", result);
        return 1;
    }
    printf("Register 0x%02X:", REGISTER);
    for (int i = 0; i < COUNT; ++i) {
        printf(" %02X", data[i]);
    }
    printf(" (PEC checked)\n");
    return 0;
}
