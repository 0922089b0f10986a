#include "help/show_help.h"

#include "help/help_pages.h"

namespace kelvane::cli {

const wchar_t* SelectTopicPage(const HelpTopicFlags& t) {
    const struct {
        bool set;
        const wchar_t* page;
    } order[] = {
        {t.connectI, kConnectIPage}, {t.connectS, kConnectSPage}, {t.devices, kDevicesPage},
        {t.gpioC, kGpioCPage},       {t.gpioR, kGpioRPage},       {t.gpioW, kGpioWPage},
        {t.err, kExitCodePage},      {t.i2cR, kI2cRPage},         {t.i2cW, kI2cWPage},
        {t.i2cWF, kI2cWFPage},       {t.pid, kPidPage},           {t.smbR, kSmbRPage},
        {t.smbW, kSmbWPage},         {t.smbWF, kSmbWFPage},       {t.vid, kVidPage},
    };
    for (const auto& entry : order) {
        if (entry.set) {
            return entry.page;
        }
    }
    return nullptr;
}

void ShowHelp(const CliOptions& options, ConsoleSink& console) {
    if (const wchar_t* page = SelectTopicPage(options.helpTopic)) {
        console.Write(page);
        return;
    }
    console.Write(kGeneralPage);
    console.Write(kVersionBanner);
}

}  // namespace kelvane::cli
