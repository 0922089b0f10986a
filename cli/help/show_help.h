// Choosing and printing the help page.
#pragma once

#include "options/cli_options.h"
#include "output/console_output.h"

namespace kelvane::cli {

// The page of the first help topic set, looked at in the order connectI,
// connectS, devices, gpioC, gpioR, gpioW, err, i2cR, i2cW, i2cWF, pid, smbR,
// smbW, smbWF, vid; nullptr when no topic is set.
const wchar_t* SelectTopicPage(const HelpTopicFlags& topics);

// Prints the selected topic page, or else the general page followed by the
// version banner. The program then ends with kExitSuccess.
void ShowHelp(const CliOptions& options, ConsoleSink& console);

}  // namespace kelvane::cli
