#include "options/cli_options.h"

namespace kelvane::cli {

bool AnyCommand(const CommandFlags& c) {
    return c.devices || c.connectI || c.connectS || c.i2cR || c.i2cW || c.i2cWF || c.smbR || c.smbW ||
           c.smbWF || c.gpioC || c.gpioR || c.gpioW;
}

void ResetGpioRequests(CliOptions& options) {
    options.gpioDirection.fill(kPinUnchanged);
    options.gpioValue.fill(kPinUnchanged);
    options.gpioReadPin.fill(0);
}

}  // namespace kelvane::cli
