/*
 * Kelvane bridge device-access library (KelvaneDLL-UM_x86).
 *
 * A flat C interface to the Kelvane USB bridge: discovery and selection of
 * chips, the 64-byte report protocol, I2C and SMBus transfers, settings,
 * GPIO, USB strings and flash protection.
 *
 * Usable from C and C++. Every export runs on the caller's thread and the
 * library keeps one process-wide state without locks: call the exports from
 * one thread at a time. Nothing is thrown across this interface; every
 * failure comes back once, as a result code (see KelvaneResult below).
 *
 * Transfer limits. Every report written to or read from the chip is bounded
 * by a 1000 ms wait. On Linux (hidraw) a read waits with poll() for at most
 * 1000 ms; a write to a hidraw node is synchronous inside the kernel, which
 * bounds it with its own USB output time-out (about 5 seconds for an
 * interrupt OUT report on current kernels) rather than 1000 ms: a write to a
 * chip that has stopped taking reports can therefore block the calling
 * thread for up to that kernel bound before it fails.
 */
#ifndef KELVANE_H
#define KELVANE_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#include <wchar.h>
#define KELVANE_CALL __stdcall
#if defined(KELVANE_BUILDING_LIBRARY)
#define KELVANE_API __declspec(dllexport)
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
 * library's. */
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
    KELVANE_E_TIMEOUT = -18,            /* "Timeout": the I2C engine reported a failure state */
    KELVANE_E_SEND = -19,               /* "I2C/SMBus send Error" */
    KELVANE_E_SET_SPEED = -21,          /* "Error setting I2C/SMBus speed" (never returned) */
    KELVANE_E_I2C_STATUS = -22,         /* "Invalid I2C status": speed exchange refused */
    KELVANE_E_ADDRESS_NACK = -23,       /* "Address NACK received" */
    KELVANE_E_TRANSFER_REFUSED = -24,   /* "Transfer wasn't possible" */
    KELVANE_E_COMMAND_FAILED = -25,     /* "Command failed": get-data status not 0 */
    KELVANE_E_NO_DATA = -26,            /* "Could not read data" */
    KELVANE_E_TOO_MUCH_DATA = -27,      /* "Received more data bytes than requested" */
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
/* Does nothing: handles stay open until the next scan or the process ends. */
KELVANE_API void KELVANE_CALL DllCleanUp(void);

/* ---- Connection -------------------------------------------------------- */

/* Scans the attached chips and returns 1 when the selected chip is present
 * at the selected index, else 0. */
KELVANE_API unsigned char KELVANE_CALL GetConnectionStatus(void);

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

/* ---- Device selection -------------------------------------------------- */

/* Number of matching chips found by the last scan (0 before any scan). */
KELVANE_API int KELVANE_CALL GetDevCount(void);
/* The selected index. */
KELVANE_API int KELVANE_CALL GetSelectedDevNumber(void);
/* Writes the selected chip's device path as a terminated narrow string into
 * a buffer of at least 256 bytes. Always 0; empty before any selection. */
KELVANE_API int KELVANE_CALL GetSelectedDevInfo(char* buffer);
/* Selects a chip of the last scan by index; takes effect at the next scan
 * (follow it with GetConnectionStatus). 0, or -2 when the index is not below
 * the device count. */
KELVANE_API int KELVANE_CALL SelectDev(unsigned int index);

#ifdef __cplusplus
}
#endif

#endif /* KELVANE_H */
