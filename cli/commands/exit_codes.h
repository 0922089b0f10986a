// The exit codes of KelvaneCLI. The process ends with one of these through
// exit(); where the platform keeps only the low 8 bits of the status
// (POSIX), -400 shows as 112, -1 as 255 and so on.
#pragma once

namespace kelvane::cli {

enum ExitCode : int {
    kExitSuccess = 0,
    kExitLibraryNotFound = -1,
    kExitDeviceInfo = -2,  // listed on the exit-code page; never produced
    kExitConnectFailed = -3,
    kExitInvalidSpeed = -101,
    kExitInvalidReadSize = -102,
    kExitI2cReadFailed = -103,
    kExitTooManyBytes = -104,
    kExitNoI2cData = -105,
    kExitI2cWriteFailed = -106,
    kExitSmbReadFailed = -110,
    kExitSmbWriteFailed = -111,
    kExitNoSmbData = -112,
    kExitFileOpen = -200,
    kExitFileClose = -201,
    kExitPinConfiguration = -301,
    kExitInvalidDirection = -302,  // listed on the exit-code page; never produced
    kExitGpioRead = -303,
    kExitGpioWrite = -304,
    kExitInvalidValue = -305,  // listed on the exit-code page; never produced
    kExitInvalidCommand = -400,
};

}  // namespace kelvane::cli
