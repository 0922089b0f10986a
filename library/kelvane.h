/*
 * Kelvane bridge device-access library (KelvaneDLL-UM_x86).
 *
 * A flat C interface to the Kelvane USB bridge: discovery and selection of
 * chips, the 64-byte report protocol, I2C and SMBus transfers, settings,
 * GPIO, USB strings and flash protection.
 *
 * Usable from C and C++. Nothing is thrown across this interface; every
 * failure comes back once, as a result code (see KelvaneResult below).
 *
 * Threads. Every export may be called from any thread. The library keeps one
 * process-wide state (the identifiers, the table of chips, the selected
 * chip, the remembered password) and runs one call at a time: a call made
 * while another thread's call runs waits for it to end. Each call is whole,
 * but a sequence of calls is not: the selection is the process's, so a
 * thread that selects a chip (SelectDev, GetConnectionStatus) and then works
 * with it must keep other threads from selecting another one in between.
 *
 * Programs. Several programs may use one chip at once. While a call works
 * with a chip (from its first request to its return: a status query, a whole
 * I2C or SMBus transfer with its pauses, a settings read-modify-write) it
 * holds the chip's lock, which every program using this library honours: on
 * Linux flock(LOCK_EX) on the chip's hidraw node, on Windows a named mutex
 * derived from the chip's device path. The system releases the lock of a
 * program that ends or dies; an abandoned Windows mutex counts as free.
 * A call that finds the chip held waits for it at most 35,000 ms, a little
 * more than a healthy chip needs for the longest transfer (65,535 bytes at
 * 46,333 bit/s), then returns KELVANE_E_CHIP_BUSY (-28) without having
 * sent anything. Waiters are not queued: a program that calls without pause
 * can keep the chip from another one until that one's wait runs out. Other
 * threads of the waiting program wait as long. Scans (GetConnectionStatus)
 * take no chip lock. Reports that the chip sent to another program while it
 * held the chip are dropped before each request, so no call takes another
 * program's answer for its own. Programs that reach the chip without this
 * library (raw hidraw access) are not held off.
 *
 * Transfer limits. Every report written to or read from the chip is bounded
 * by a 1000 ms wait. On Linux (hidraw) a read waits with poll() for at most
 * 1000 ms; a write to a hidraw node is synchronous inside the kernel, which
 * bounds it with its own USB output time-out (about 5 seconds for an
 * interrupt OUT report on current kernels) rather than 1000 ms: a write to a
 * chip that has stopped taking reports can therefore block the calling
 * thread for up to that kernel bound before it fails. On Windows every write
 * and read is an overlapped transfer waited for at most 1000 ms; one that
 * has not completed by then is cancelled, and the library waits for the
 * cancelled transfer to end (at most another 1000 ms) before it closes the
 * device's handles, so a transfer that gets no answer returns after about
 * one second.
 */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#include <wchar.h>
#define KELVANE_CALL __stdcall
#if defined(KELVANE_BUILDING_LIBRARY)
/* The module-definition file alone names the exports, plainly and at their
 * ordinals (dllexport would add the decorated names of __stdcall). */
#define KELVANE_API
#else
#define KELVANE_API __declspec(dllimport)
#endif
/* Chip strings: terminated strings of 16-bit UTF-16 code units. */
typedef wchar_t KelvaneChar;
#else
#define KELVANE_CALL
#if defined(KELVANE_BUILDING_LIBRARY)
#define KELVANE_API __attribute__((visibility("default")))
#else
#define KELVANE_API
#endif
#ifdef __cplusplus
/* Chip strings: terminated strings of 16-bit UTF-16 code units. */
typedef char16_t KelvaneChar;
#else
#include <uchar.h>
typedef char16_t KelvaneChar;
#endif
#endif

/* Identifiers that DllInit looks for. */
#define KELVANE_DEFAULT_VID 0x1209
#define KELVANE_DEFAULT_PID 0x4B56

/* Result codes. 0 is success; 1 to 255 is the chip's own status byte, passed
 * on unchanged by the commands that examine it; the negative codes are the
 * library's. Every export that sends a request to the chip may also return
 * KELVANE_E_CHIP_BUSY (see "Programs" above), besides the codes listed with
 * it. */
enum KelvaneResult {
    KELVANE_SUCCESS = 0,
    KELVANE_E_SELECT_INDEX = -2,        /* SelectDev: index not below the device count */
    KELVANE_E_WRITE_FAILED = -4,        /* "Kelvane write failed" */
    KELVANE_E_READ_FAILED = -5,         /* "Kelvane read failed" */
    KELVANE_E_WRONG_ECHO = -6,          /* the response does not echo the command code */
    KELVANE_E_SMB_SPEED_REFUSED = -8,   /* "Command failed": SMBus first speed exchange refused */
    KELVANE_E_NO_REFERENCE = -9,        /* reference selector has no reference number */
    KELVANE_E_NOT_GPIO = -10,           /* the pin is not working as a GPIO */
    KELVANE_E_SMB_DATA_NACK = -11,      /* "SMBus slave data NACK received" */
    KELVANE_E_WRONG_PEC = -12,          /* "Wrong PEC (SMBus only)" */
    KELVANE_E_FLASH_LOCKED = -13,       /* flash settings permanently locked */
    KELVANE_E_PASSWORD_REJECTED = -14,  /* the chip rejected the access password */
    KELVANE_E_NO_POWER_SOURCE = -15,    /* neither bus nor self power in the attributes */
    KELVANE_E_COPY = -17,               /* "Error copying memory" */
    KELVANE_E_TIMEOUT = -18,            /* "Timeout": the I2C engine reported a failure state, or a
                                           transfer ran out of time */
    KELVANE_E_SEND = -19,               /* "I2C/SMBus send Error" */
    KELVANE_E_SET_SPEED = -21,          /* "Error setting I2C/SMBus speed" (never returned) */
    KELVANE_E_I2C_STATUS = -22,         /* "Invalid I2C status": speed exchange refused */
    KELVANE_E_ADDRESS_NACK = -23,       /* "Address NACK received" */
    KELVANE_E_TRANSFER_REFUSED = -24,   /* "Transfer wasn't possible" */
    KELVANE_E_COMMAND_FAILED = -25,     /* "Command failed": get-data status not 0 */
    KELVANE_E_NO_DATA = -26,            /* "Could not read data" */
    KELVANE_E_TOO_MUCH_DATA = -27,      /* "Received more data bytes than requested" */
    KELVANE_E_CHIP_BUSY = -28,          /* another program held the chip for the whole wait
                                           (35,000 ms); nothing was sent */
    KELVANE_E_ARGUMENT_1 = -201,        /* first argument out of range or missing */
    KELVANE_E_ARGUMENT_2 = -202,
    KELVANE_E_ARGUMENT_3 = -203,
    KELVANE_E_ARGUMENT_4 = -204
};

/* ---- Initialisation ---------------------------------------------------- */

/* Resets the library's state for the default identifiers. Scans nothing.
 * Always 0. */
KELVANE_API int KELVANE_CALL DllInitCustom(int vendorId, int productId);
/* As DllInitCustom with KELVANE_DEFAULT_VID and KELVANE_DEFAULT_PID. */
KELVANE_API int KELVANE_CALL DllInit(void);
/* Does nothing: the handles of the chips that were selected stay open until a
 * scan finds their device changed or gone, the next DllInit or DllInitCustom
 * (which closes them all), or the end of the process. */
KELVANE_API void KELVANE_CALL DllCleanUp(void);

/* ---- Connection -------------------------------------------------------- */

/* Which devices are chips, on Linux (hidraw). Every hidraw node is looked at
 * in the order of its number. A device is a chip when the vendor and product
 * identifiers in the kernel's name of its HID device (the directory
 * BBBB:VVVV:PPPP.NNNN that holds the node, which the kernel forms from the
 * identifiers alone) equal the configured ones, and the HID_ID line of the
 * device's uevent, when there is exactly one, agrees with that name. No
 * string of the device (manufacturer, product, serial number) can change
 * either. Its device path (GetSelectedDevInfo) names the place where it is
 * attached, the HID_PHYS line of its uevent (for example
 * "usb-0000:00:14.0-2/input0"), so that a chip that resets or is replugged
 * into the same port keeps its path and its selection; interfaces that
 * share one place get " (hidrawN)" appended. A uevent with more than one
 * HID_ID or HID_PHYS line, which only a device whose own strings carry such
 * lines can produce, is not trusted for the place: that chip's path is its
 * node, "/dev/hidrawN", which changes when it re-enumerates. */

/* Scans and handles. A scan (GetConnectionStatus, and any transfer made
 * while not connected) lists the attached chips afresh, in the order the
 * system enumerates them, and decides whether the selected chip is at the
 * selected index. It opens only the selected chip, and only when it is not
 * open yet: opening a HID device is slow (Linux's USB HID driver waits 50 ms
 * at the first open of a device before it lets reports through; over USB/IP
 * every open is also a network round trip), and a scan of chips that did not
 * change opens and closes nothing. A chip's handles, once opened,
 * are kept while the same device stays at its path: on Linux the same
 * hidraw node under the same kernel instance of the HID device (the
 * BBBB:VVVV:PPPP.NNNN directory, numbered anew at every enumeration) with no
 * hang-up on the node; on Windows the same device path with handles that the
 * HID class driver still answers for (HidD_GetAttributes). A chip that reset,
 * was replugged or went away is closed by the next scan and opened again
 * when it is selected. A transfer that times out, or finds the device gone,
 * closes the selected chip's handles and the next transfer scans again; a
 * chip that cannot be opened shows at its first transfer (-4). */

/* Scans the attached chips and returns 1 when the selected chip is present
 * at the selected index, else 0. */
KELVANE_API unsigned char KELVANE_CALL GetConnectionStatus(void);

/* ---- Chip configuration ------------------------------------------------
 *
 * Settings targets. The exports whose first argument is a target address
 * either copy of a setting: 0 = runtime settings (what the chip does now),
 * 1 = flash settings (what it loads at power-up); setters also take
 * 2 = both, runtime first: a refused runtime change leaves flash untouched.
 * Any other target gives -201 before anything is sent.
 *
 * Getters return the value, or a negative code, or the chip's non-zero
 * status byte as a positive number (indistinguishable from a value by its
 * number alone). Arguments are checked in their order before anything is
 * sent; a bad one gives -200 minus its position. Flash setters read the
 * whole flash block, change their fields and write it back with the
 * remembered access password (see EnterAccessPassword).
 */

/* ---- USB strings and serial numbers ----------------------------------- */

/* The product, manufacturer and serial-number strings from flash, as
 * terminated UTF-16 strings in a buffer of at least 31 units (30 characters
 * and the terminator). 0, -201 for a null buffer, -4, -5, -6. The chip's
 * status byte is not examined on reads. A length byte from the chip beyond
 * what its report can hold is cut to the report (at most 30 characters), and
 * an odd length drops the half character. */
KELVANE_API int KELVANE_CALL GetUsbStringDescriptor(KelvaneChar* buffer);
KELVANE_API int KELVANE_CALL GetUsbStringManufacturer(KelvaneChar* buffer);
KELVANE_API int KELVANE_CALL GetSerialNumber(KelvaneChar* buffer);
/* The factory serial number (one byte per character on the chip) into a
 * buffer of at least 61 units; at most 60 characters are taken. */
KELVANE_API int KELVANE_CALL GetFactorySerialNumber(KelvaneChar* buffer);
/* Stores a terminated UTF-16 string of at most 30 units in flash. -201 for a
 * null pointer or a longer string (nothing is sent: a string is never
 * stored cut short); else 0, -4, -5, -6 or the chip's status byte. */
KELVANE_API int KELVANE_CALL SetUsbStringDescriptor(const KelvaneChar* text);
KELVANE_API int KELVANE_CALL SetUsbStringManufacturer(const KelvaneChar* text);
KELVANE_API int KELVANE_CALL SetSerialNumber(const KelvaneChar* text);

/* ---- USB settings (flash) --------------------------------------------- */

/* 1 when the chip presents its serial number on USB, else 0. */
KELVANE_API int KELVANE_CALL GetSerialNumberEnumerationEnable(void);
/* Stored as enabled only when enable is 1. */
KELVANE_API int KELVANE_CALL SetSerialNumberEnumerationEnable(unsigned char enable);
/* The USB current requirement in mA. */
KELVANE_API int KELVANE_CALL GetUsbCurrentRequirement(void);
/* Even values 100 to 500 mA, else -201. */
KELVANE_API int KELVANE_CALL SetUsbCurrentRequirement(int milliamperes);
/* 0 = bus-powered, 1 = self-powered, -15 when the attributes show neither. */
KELVANE_API int KELVANE_CALL GetUsbPowerSource(void);
/* 0 = bus-powered, 1 = self-powered, else -201. Replaces the whole
 * attributes byte, so it also clears remote wake-up. */
KELVANE_API int KELVANE_CALL SetUsbPowerSource(int source);
/* 1 when remote wake-up is enabled, else 0. */
KELVANE_API int KELVANE_CALL GetUsbRemoteWakeupEnable(void);
/* 0 disables, any other value enables; the other attribute bits are kept. */
KELVANE_API int KELVANE_CALL SetUsbRemoteWakeupEnable(unsigned char enable);
/* USB vendor and product identifiers from flash, 0 to 65535, or a code. */
KELVANE_API long long KELVANE_CALL GetUsbVid(void);
KELVANE_API long long KELVANE_CALL GetUsbPid(void);
KELVANE_API int KELVANE_CALL SetUsbVidPid(unsigned short vendorId, unsigned short productId);

/* ---- Pin functions ------------------------------------------------------ */

/* The configuration of GP0 to GP3 in three caller arrays of 4 bytes each:
 * designation (0 = GPIO, other codes select the pin's dedicated functions),
 * direction (1 = input, 0 = output) and output value. Get: target 0 or 1;
 * the arrays are filled and the chip's status byte returned (a runtime read
 * that fails leaves them untouched). Set: target 0 to 2; designations 0 to 4
 * (-202), directions 0 or 1 (-203), values 0 or 1 (-204), checked pin by
 * pin; all four pins are written. A null array gives the code of its
 * position. */
KELVANE_API int KELVANE_CALL GetGpPinConfiguration(int target, unsigned char* designation,
                                                   unsigned char* direction, unsigned char* value);
KELVANE_API int KELVANE_CALL SetGpPinConfiguration(int target, const unsigned char* designation,
                                                   const unsigned char* direction, const unsigned char* value);
/* Direction of a GPIO pin (0 to 3): target 0 reads the runtime direction,
 * target 1 the power-up direction kept in flash; -10 when the pin does not
 * work (or power up) as a GPIO. A getter reads one copy: target 2 gives
 * -201. */
KELVANE_API int KELVANE_CALL GetGpPinDirection(int target, unsigned char pin);
/* Sets a GPIO pin's direction (0 or 1): target 0 at run time, target 1 in
 * the power-up configuration kept in flash (the pin's other settings stay
 * as read), target 2 both, runtime first. */
KELVANE_API int KELVANE_CALL SetGpPinDirection(int target, unsigned char pin, unsigned char direction);
/* Interrupt pin mode 0 to 3 (target 0 or 1). */
KELVANE_API int KELVANE_CALL GetInterruptPinMode(int target);
/* Mode 1 to 3 (-202 otherwise); mode 0 cannot be set. */
KELVANE_API int KELVANE_CALL SetInterruptPinMode(int target, int mode);
/* DAC and ADC voltage references 0 to 3 and the DAC value 0 to 31, in the
 * runtime settings only. The getters decode the value even when the chip
 * reports a non-zero status; a reference selector without a reference
 * number gives -9. */
KELVANE_API int KELVANE_CALL GetDacVoltageReference(void);
KELVANE_API int KELVANE_CALL SetDacVoltageReference(int reference);
KELVANE_API int KELVANE_CALL GetDacValue(void);
KELVANE_API int KELVANE_CALL SetDacValue(int value);
KELVANE_API int KELVANE_CALL GetAdcVoltageReference(void);
KELVANE_API int KELVANE_CALL SetAdcVoltageReference(int reference);
/* Clock output divider code 0 to 7 and duty-cycle code 0 to 3 (target 0
 * or 1). */
KELVANE_API int KELVANE_CALL GetClockPinDividerValue(int target);
KELVANE_API int KELVANE_CALL GetClockPinDutyCycle(int target);
/* Divider 1 to 7 (-202), duty cycle 0 to 3 (-203). Runs the status command
 * after the target check and returns its result when that is not 0. */
KELVANE_API int KELVANE_CALL SetClockPinConfiguration(int target, int divider, int dutyCycle);
/* Clears the interrupt pin state (runtime). */
KELVANE_API int KELVANE_CALL ClearInterruptPinState(void);

/* ---- Power-up values of the dedicated pin functions (flash) ------------- */

/* 0 or 1; the setters take 0 or 1, else -201. */
KELVANE_API int KELVANE_CALL GetInitialPinValueLedUartTx(void);
KELVANE_API int KELVANE_CALL SetInitialPinValueLedUartTx(int value);
KELVANE_API int KELVANE_CALL GetInitialPinValueLedUartRx(void);
KELVANE_API int KELVANE_CALL SetInitialPinValueLedUartRx(int value);
KELVANE_API int KELVANE_CALL GetInitialPinValueLedI2c(void);
KELVANE_API int KELVANE_CALL SetInitialPinValueLedI2c(int value);
KELVANE_API int KELVANE_CALL GetInitialPinValueSspnd(void);
KELVANE_API int KELVANE_CALL SetInitialPinValueSspnd(int value);
KELVANE_API int KELVANE_CALL GetInitialPinValueUsbcfg(void);
KELVANE_API int KELVANE_CALL SetInitialPinValueUsbcfg(int value);

/* ---- Flash protection and access password -------------------------------
 *
 * Passwords are terminated 8-bit strings; their first 8 bytes are the
 * password. The library remembers one password for the whole process (not
 * one per chip): the last one the chip accepted or the library set, all
 * zero after initialisation, and sends it with every flash settings write.
 */

/* The protection state the chip works with now (runtime settings):
 * 0 unprotected, 1 password-protected, 2 permanently locked. */
KELVANE_API int KELVANE_CALL GetFlashProtectionState(void);
/* Locks the flash settings for good. */
KELVANE_API int KELVANE_CALL SetFlashPermanentLock(void);
/* Protects the flash settings with a new password of at least 8 characters
 * (-201 for null or shorter: such a password could never be entered with
 * EnterAccessPassword). -13 when the flash is locked. */
KELVANE_API int KELVANE_CALL SetFlashPasswordProtection(const char* password);
/* Removes the protection; -13 when the flash is locked. */
KELVANE_API int KELVANE_CALL SetFlashProtectionOff(void);
/* Presents a password of at least 8 characters to the chip (-201 for null
 * or shorter); remembered when accepted, -14 when rejected. */
KELVANE_API int KELVANE_CALL EnterAccessPassword(const char* password);

/* ---- GPIO ---------------------------------------------------------------- */

/* Level of a GPIO pin 0 to 3: 0 or 1; -10 when the pin is not a GPIO. */
KELVANE_API int KELVANE_CALL ReadGpioPinValue(unsigned char pin);
/* Drives a GPIO output pin 0 to 3 with value 0 or 1 (runtime). */
KELVANE_API int KELVANE_CALL WriteGpioPinValue(unsigned char pin, unsigned char value);

/* ---- Versions ---------------------------------------------------------- */

/* Writes "X.Y" and a NUL (4 bytes) into buffer. 0, or a failure code. */
KELVANE_API int KELVANE_CALL GetFirmwareVersion(char* buffer);
/* Writes the two hardware revision characters and a NUL (3 bytes). */
KELVANE_API int KELVANE_CALL GetHardwareVersion(char* buffer);

/* ---- Status and operations --------------------------------------------- */

/* Writes the reset request; the chip answers nothing and re-enumerates.
 * 0 when written, -4 when not. */
KELVANE_API int KELVANE_CALL ResetDevice(void);
/* Reads the three 10-bit ADC values into values[0..2] (values may be null).
 * Also cancels any I2C/SMBus transfer in progress. */
KELVANE_API int KELVANE_CALL GetAdcData(unsigned short* values);
/* Cancels the I2C/SMBus transfer in progress; returns the chip's cancel
 * status (0 to 255), or a negative failure code. */
KELVANE_API int KELVANE_CALL StopI2cDataTransfer(void);
/* Level of the SCL / SDA line as the chip reports it (0 to 255), or a
 * negative failure code. A non-zero chip status comes back in the same
 * range. */
KELVANE_API int KELVANE_CALL GetSclLineValue(void);
KELVANE_API int KELVANE_CALL GetSdaLineValue(void);

/* ---- I2C and SMBus transfers ------------------------------------------ */

/* Slave addresses are bytes in 8-bit form (the 7-bit address shifted left by
 * one), sent as given. Counts are 0 to 65,535 bytes; speeds are in bit/s.
 *
 * Arguments are checked in this order: the count (-203, nothing sent), the
 * speed (-204, nothing sent), then, after the speed exchange that starts
 * every transfer, the data pointer (-202).
 *
 * Speeds. The speed becomes the chip's 8-bit clock divider
 * 48,000,000 / (4 x speed) - 3, and the pause D between exchanges is
 * 1,320,000 / speed milliseconds. A speed of 0 admits neither, and a speed
 * below 46,333 or above 4,000,000 bit/s has a divider that does not fit 8
 * bits and would silently become another speed; such speeds are refused
 * with -204 before anything is sent. (The command-line program passes 48,000
 * to 400,000 bit/s.)
 *
 * Bounded waits. While the chip keeps answering a status poll with "in
 * progress" (the end-of-transfer poll of a write, or the SMBus wait for the
 * read phase), the poll ends with -18 ("Timeout") once 1000 ms have passed
 * since it began on the platform's monotonic clock, or after 10,000 such
 * answers, whichever comes first; the second bound keeps the call finite
 * even on a platform whose clock does not advance. Every other wait of a
 * transfer is bounded by its tries and budgets.
 *
 * Deadline of a transfer. Each of the four transfers is also given, from
 * the moment it holds the chip (at once, unless another program holds it:
 * see "Programs" at the top), a time budget on the platform's monotonic
 * clock:
 *
 *     B = 3000 + N x (3 x D + 50) milliseconds, where
 *     D = 1,320,000 / speed, in integer division (the pause above), and
 *     N = (count + p + 59) / 60 in integer division, but at least 1: the
 *         60-byte pieces that the transfer moves, with p = 1 for an SMBus
 *         transfer with PEC (pec not 0) and p = 0 otherwise.
 *
 * No exchange with the chip starts, and no pause lasts, beyond B. A
 * transfer that has not ended by then is cancelled on the chip (one status
 * request with the cancel sub-command, whose answer is not looked at) and
 * returns -18 ("Timeout"); the next transfer starts afresh. The exchange
 * under way at B and the cancel take at most 1000 ms for each write and each
 * read, so the call returns within B + 4000 ms of holding the chip (on
 * Linux, see the note on writes at the top of this file). A healthy chip needs about N x (D + one
 * exchange): for 65,535 bytes at 46,333 bit/s (D = 28, N = 1093) about 33 s
 * with 2 ms exchanges, where B = 149,462 ms; at 400,000 bit/s (D = 3) about
 * 5.5 s, where B = 67,487 ms. A transfer of up to 60 bytes has B = 3050 +
 * 3 x D ms. Argument errors (-203, -204) return at once.
 *
 * A transfer that fails otherwise leaves the chip's engine as it is; the
 * next transfer cancels what stands in the way when it sets the speed.
 * Neither read tells how many bytes arrived: a read that the chip ends early
 * with success leaves the rest of the buffer as it was. */

/* Writes count bytes from data to the slave at address. 0; -203, -204, -202;
 * -4, -5 (report not written or not read); -22 (speed exchange refused);
 * -17; -18 (engine failure state, the end-of-transfer poll ran out of time,
 * or the deadline B passed, with p = 0); -19 (a piece refused 50 times, or 50 non-zero status bytes in the
 * end-of-transfer poll); -23 (the slave did not acknowledge its address). */
KELVANE_API int KELVANE_CALL WriteI2cData(unsigned char address, const unsigned char* data, unsigned int count,
                                          unsigned int speed);

/* Reads up to count bytes from the slave at address into data (callers pass
 * the address with bit 0 set). 0; -203, -204, -202; -4, -5; -22; -24 (read
 * not accepted); -25 (a data report with a non-zero status); -23 (the slave
 * did not acknowledge its address); -26 (51 not-ready data reports in a
 * row); -27 (more bytes than count); -17; -18 (the deadline B passed, with
 * p = 0). */
KELVANE_API int KELVANE_CALL ReadI2cData(unsigned char address, unsigned char* data, unsigned int count,
                                         unsigned int speed);

/* SMBus block write: count bytes (a register index, if any, first) to the
 * slave at address (bit 0 clear), followed by the packet error code over the
 * address byte and the data when pec is not 0. count is at most 65,535, or
 * 65,534 with PEC (-203). A null data pointer gives -202 after the speed
 * exchange, as for the I2C transfers. Results as WriteI2cData, except that
 * a refused first speed exchange gives -8 (a refused second one still -22)
 * and the address flag is not looked at (never -23). Its deadline B counts
 * the PEC byte (p = 1) when pec is not 0. */
KELVANE_API int KELVANE_CALL SmbWriteBlock(unsigned char address, const unsigned char* data, unsigned int count,
                                           unsigned int speed, unsigned char pec);

/* SMBus block read: writes the register index to the slave at address
 * (bit 0 clear), then reads count bytes from it in a chained read (the
 * library sets bit 0), and with pec not 0 one byte more, checked as the
 * packet error code over address, index, address with bit 0 set and the
 * data. Only the count data bytes are stored. Same limits and -202 rule as
 * SmbWriteBlock. Results as ReadI2cData, with -8 for a refused first speed
 * exchange, -11 when the engine went idle after the register index, -18 and
 * -19 from the register phase, and -12 when the codes differ. A read with
 * PEC that the chip ends early, before the PEC byte arrived, has nothing to
 * check and also gives -12; without PEC such a read gives 0. -18 also when
 * the deadline B passed, which counts the PEC byte (p = 1) when pec is not
 * 0. */
KELVANE_API int KELVANE_CALL SmbReadBlock(unsigned char address, unsigned char* data, unsigned int count,
                                          unsigned int speed, unsigned char pec, unsigned char index);

/* ---- Device selection -------------------------------------------------- */

/* Number of matching chips found by the last scan (0 before any scan). */
KELVANE_API int KELVANE_CALL GetDevCount(void);
/* The selected index. */
KELVANE_API int KELVANE_CALL GetSelectedDevNumber(void);
/* Writes the selected chip's device path as a terminated narrow string into
 * a buffer of at least 256 bytes. Always 0; empty before any selection. */
KELVANE_API int KELVANE_CALL GetSelectedDevInfo(char* buffer);
/* Selects a chip of the last scan by index; takes effect at the next scan
 * (follow it with GetConnectionStatus), which opens the chip unless it is
 * open already. 0, or -2 when the index is not below the device count. */
KELVANE_API int KELVANE_CALL SelectDev(unsigned int index);

#ifdef __cplusplus
}
#endif
