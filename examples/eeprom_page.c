/* Writes one 8-byte page of a 24C02-style EEPROM at 7-bit address 0x50 on
 * the first chip's I2C bus and reads it back.
 *
 * Build:  cc eeprom_page.c $(pkg-config --cflags --libs kelvane) -o eeprom_page
 */
#include <stdio.h>
#include <string.h>

#include <kelvane.h>

#define EEPROM_ADDRESS7 0x50
#define PAGE_ADDRESS 0x10 /* word address of the page's first byte */
#define PAGE_SIZE 8
#define SPEED 100000      /* bit/s */

/* The library takes 8-bit addresses: the 7-bit address shifted left, bit 0
 * set for a read. */
static const unsigned char write_address = EEPROM_ADDRESS7 << 1;
static const unsigned char read_address = (EEPROM_ADDRESS7 << 1) | 1;

int main(void) {
    DllInit();
    if (!GetConnectionStatus()) { /* scans and connects to chip 0 */
        printf("No Kelvane chip found.\n");
        return 1;
    }

    /* A page write: the word address, then the data. */
    unsigned char message[1 + PAGE_SIZE] = {PAGE_ADDRESS};
    for (int i = 0; i < PAGE_SIZE; ++i) {
        message[1 + i] = (unsigned char)(0xA0 + i);
    }
    int result = WriteI2cData(write_address, message, sizeof message, SPEED);
    if (result != KELVANE_SUCCESS) {
        printf("Page write failed: %d\n", result);
        return 1;
    }

    /* The EEPROM does not acknowledge its address while it programs the
     * page (a few milliseconds): set the word address again until it does.
     * Each try is a whole USB transfer, so a few dozen tries cover the
     * write cycle. */
    const unsigned char word_address = PAGE_ADDRESS;
    int tries = 0;
    do {
        result = WriteI2cData(write_address, &word_address, 1, SPEED);
    } while (result == KELVANE_E_ADDRESS_NACK && ++tries < 50);
    if (result != KELVANE_SUCCESS) {
        printf("EEPROM not ready: %d\n", result);
        return 1;
    }

    /* Reads continue from the word address just set. */
    unsigned char page[PAGE_SIZE] = {0};
    result = ReadI2cData(read_address, page, PAGE_SIZE, SPEED);
    if (result != KELVANE_SUCCESS) {
        printf("Read failed: %d\n", result);
        return 1;
    }
    printf("Page 0x%02X:", PAGE_ADDRESS);
    for (int i = 0; i < PAGE_SIZE; ++i) {
        printf(" %02X", page[i]);
    }
    printf("\n%s\n", memcmp(page, message + 1, PAGE_SIZE) == 0 ? "Read back as written." : "Read back differs!");
    return memcmp(page, message + 1, PAGE_SIZE) == 0 ? 0 : 1;
}
