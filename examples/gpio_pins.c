/* Makes GP0 a GPIO output and GP1 a GPIO input, drives GP0 high and reads
 * both pins. Only the chip's runtime settings change: at the next power-up
 * the pins work as its flash settings say.
 *
 * Build:  cc gpio_pins.c $(pkg-config --cflags --libs kelvane) -o gpio_pins
 */
#include <stdio.h>

#include <kelvane.h>

enum { RUNTIME = 0 };                /* settings target: what the chip does now */
enum { OUTPUT = 0, INPUT = 1 };      /* pin directions */

int main(void) {
    DllInit();
    if (!GetConnectionStatus()) {
        printf("No Kelvane chip found.\n");
        return 1;
    }

    /* Read the configuration of all four pins, change GP0 and GP1, and
     * write all four back: GP2 and GP3 keep what they had. */
    unsigned char designation[4], direction[4], value[4];
    int result = GetGpPinConfiguration(RUNTIME, designation, direction, value);
    if (result != KELVANE_SUCCESS) {
        printf("Reading the pin configuration failed: %d\n", result);
        return 1;
    }
    designation[0] = 0; /* 0 = GPIO; other codes select dedicated functions */
    direction[0] = OUTPUT;
    value[0] = 0;
    designation[1] = 0;
    direction[1] = INPUT;
    result = SetGpPinConfiguration(RUNTIME, designation, direction, value);
    if (result != KELVANE_SUCCESS) {
        printf("Setting the pin configuration failed: %d\n", result);
        return 1;
    }

    result = WriteGpioPinValue(0, 1);
    if (result != KELVANE_SUCCESS) {
        printf("Driving GP0 failed: %d\n", result);
        return 1;
    }
    /* 0 or 1, or a negative code (-10 when the pin is not a GPIO). */
    const int gp0 = ReadGpioPinValue(0);
    const int gp1 = ReadGpioPinValue(1);
    if (gp0 < 0 || gp1 < 0) {
        printf("Reading the pins failed: %d %d\n", gp0, gp1);
        return 1;
    }
    printf("GP0 (output) = %d\nGP1 (input) = %d\n", gp0, gp1);
    return 0;
}
