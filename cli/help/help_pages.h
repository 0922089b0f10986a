// The help pages of KelvaneCLI, each one wide text printed as it is, all
// defined in help_pages.cpp. Line ends are a single "\n".
#pragma once

namespace kelvane::cli {

extern const wchar_t kGeneralPage[];
extern const wchar_t kVersionBanner[];
extern const wchar_t kExitCodePage[];

extern const wchar_t kConnectIPage[];
extern const wchar_t kConnectSPage[];
extern const wchar_t kDevicesPage[];
extern const wchar_t kGpioCPage[];
extern const wchar_t kGpioRPage[];
extern const wchar_t kGpioWPage[];
extern const wchar_t kI2cRPage[];
extern const wchar_t kI2cWPage[];
extern const wchar_t kI2cWFPage[];
extern const wchar_t kPidPage[];
extern const wchar_t kSmbRPage[];
extern const wchar_t kSmbWPage[];
extern const wchar_t kSmbWFPage[];
extern const wchar_t kVidPage[];

}  // namespace kelvane::cli
