#include "man/tool_man_page.h"

#include "help/man_page.h"
#include "program.h"

namespace kelvane::tool {
namespace {

std::string Verbatim(const std::string& help) {
    return cli::RoffVerbatim(std::wstring(help.begin(), help.end()));
}

// The help of a subcommand and of the subcommands under it.
void AddSubcommands(CLI::App& parent, std::string& page) {
    for (CLI::App* subcommand : parent.get_subcommands([](CLI::App*) { return true; })) {
        page += ".SS " + subcommand->get_name() + "\n";
        page += Verbatim(subcommand->help());
        AddSubcommands(*subcommand, page);
    }
}

}  // namespace

std::string ToolManPage() {
    CommandLine line;
    std::string page;
    page += ".\\\" kelvane(1), made at build time from the program's help.\n";
    page += ".TH KELVANE 1 \"\" \"Kelvane " KELVANE_VERSION "\" \"User Commands\"\n";
    page += ".SH NAME\n";
    page += "kelvane \\- I2C, SMBus, GPIO and configuration tasks on Kelvane USB bridge chips\n";
    page += ".SH SYNOPSIS\n";
    page += ".B kelvane\n";
    page += ".RI [ options ] \" subcommand \" [ arguments ]\n";
    page += ".SH DESCRIPTION\n";
    page += Verbatim(line.app.help());
    page += ".SH SUBCOMMANDS\n";
    page += "Each as\n";
    page += ".BI \"kelvane \" subcommand \" \\-\\-help\"\n";
    page += "shows it.\n";
    AddSubcommands(line.app, page);
    page += ".SH EXIT STATUS\n";
    page += ".TP\n0\nsuccess\n";
    page += ".TP\n1\nan operation failed: the chip, the bus, the library or a file\n";
    page += ".TP\n2\na usage error: the command line, or a configuration file's contents; nothing was done\n";
    page += ".SH FILES\n";
    page += ".TP\n";
    page += ".I KelvaneDLL\\-UM_x86.dll\n";
    page += "The device-access library. Unless\n";
    page += ".B \\-\\-library\n";
    page += "or\n";
    page += ".B KELVANE_LIBRARY\n";
    page += "names another, it is taken from the folder of the program's own file\n";
    page += "(symbolic links resolved), and only when that folder has no file of this\n";
    page += "name from the current working directory, as KelvaneCLI does.\n";
    page += "The name\n";
    page += ".B virtual\n";
    page += "stands for the virtual-chip flavour installed with the program:\n";
    page += ".I virtual/KelvaneDLL\\-UM_x86.dll\n";
    page += "in the program's folder (the installed layout,\n";
    page += ".I <libdir>/kelvane/\n";
    page += "and\n";
    page += ".IR <libdir>/kelvane/virtual/ ),\n";
    page += "else in the folder above it (the build tree, and the copy of the program\n";
    page += "inside\n";
    page += ".IR virtual/ ).\n";
    page += ".SH ENVIRONMENT\n";
    page += ".TP\n";
    page += ".B KELVANE_LIBRARY\n";
    page += "The library file to load, or\n";
    page += ".BR virtual ,\n";
    page += "when\n";
    page += ".B \\-\\-library\n";
    page += "is not given.\n";
    page += ".TP\n";
    page += ".B KELVANE_SIM_BENCH\n";
    page += "Read by the virtual-chip flavour of the library only: the bench file that\n";
    page += "describes its virtual chips.\n";
    page += ".SH SEE ALSO\n";
    page += ".BR KelvaneCLI (1),\n";
    page += ".BR i2cdetect (8),\n";
    page += ".BR i2cget (8),\n";
    page += ".BR i2cset (8),\n";
    page += ".BR i2cdump (8),\n";
    page += ".BR i2ctransfer (8)\n";
    return page;
}

}  // namespace kelvane::tool
