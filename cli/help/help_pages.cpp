#include "help/help_pages.h"

namespace kelvane::cli {

// Names in a 12-character column; several descriptions end in a space.
const wchar_t kGeneralPage[] =
    L"------------------------------------------------------------\n"
    L"Option      Description\t\t\n"
    L"------------------------------------------------------------\n"
    L"\n"
    L"connectI    Connect to a Kelvane by its index\n"
    L"connectS    Connect to a Kelvane by its serial number\n"
    L"devices     List connected Kelvanes\n"
    L"err         Displays program exit codes \n"
    L"gpioC       Configure GPIO pin direction \n"
    L"gpioR       Read GPIO pin values\n"
    L"gpioW       Write GPIO pin values\n"
    L"help|h|?    Displays help for a command \n"
    L"i2cR        I2C read \n"
    L"i2cW        I2C write \n"
    L"i2cWF       I2C write from file \n"
    L"pid         Custom PID value \n"
    L"smbR        SMBus read \n"
    L"smbW        SMBus Write\n"
    L"smbWF       SMBus write from file \n"
    L"vid         Custom VID value\n"
    L"\n"
    L"Each option must be immediately preceded by a switch, Which can\n"
    L"be either a dash (-) or a slash (/). Options are separated by a\n"
    L"single space.\n"
    L"\n"
    L"Commands and their parameters are not case sensitive. Commands will\n"
    L"be processed by their order of precedence (devices, connectS or\n"
    L"connectI, i2cR, i2cW or i2cWF, smbR, smbW or smbWF, gpioC, gpioW,\n"
    L"gpioR), not by their position on the command line.\n"
    L"\n"
    L"The program ends with exit code 0 on success and with a negative exit\n"
    L"code that tells the reason of a failure; -err lists the exit codes.\n"
    L"\n"
    L"A detailed description of each command is available by appending \"-help\" \n"
    L"to the command name.\n"
    L"Ex: -i2cw -help\n"
    L"    Will display the detailed help for the I2C write command.\n"
    L"\n";

const wchar_t kVersionBanner[] =
    L"Version 1.0.2\n"
    L"Copyright (c) 2026 Kelvane host software developers\n";

// Codes in an 8-character column; the second line of a two-line text is
// indented to the text column. "one of  return" has two spaces.
const wchar_t kExitCodePage[] =
    L"\n"
    L"-----------------------------------------------------------------------------------\n"
    L"CLI Return values\t\t\t\n"
    L"-----------------------------------------------------------------------------------\n"
    L"0       SUCCESS\n"
    L"-1      Kelvane Dll not found\n"
    L"-2      Could not read Kelvane device info (serial number)\n"
    L"-3      Could not connect to Kelvane\n"
    L"-101    Invalid I2C/SMBus communication speed\n"
    L"-102    Invalid I2C / SMBus read size.For I2C a maximum of 65535 bytes can be read\n"
    L"        For SMBus a maximum of 65534 bytes can be read.\n"
    L"-103    I2C read failed\n"
    L"-104    Too many bytes to write.Maximum is 65535 for I2C\n"
    L"        and 65534 for SMBus.\n"
    L"-105    No I2C data provided\n"
    L"-106    I2C write failed\n"
    L"-110    SMBus read failed\n"
    L"-111    SMBus write failed\n"
    L"-112    No SMBus data provided\n"
    L"-200    Could not open file\n"
    L"-201    Could not close file\n"
    L"-301    Pin configuration error\n"
    L"-302    Invalid GPIO direction\n"
    L"-303    Could not read GPIO\n"
    L"-304    Could not write GPIO\n"
    L"-305    Invalid GPIO value\n"
    L"-400    Invalid command\n"
    L"\n"
    L"The following are error codes returned by the I2C/SMBus read/write functions. The CLI\n"
    L"will exit with one of  return values above, while the below error codes will be shown\n"
    L"in the command prompt after a failed read/write operation.\n"
    L"-----------------------------------------------------------------------------------\n"
    L"I2C/SMBus error codes\t\t\t\n"
    L"-----------------------------------------------------------------------------------\n"
    L"-4      Kelvane write failed\n"
    L"-5      Kelvane read failed\n"
    L"-8      Command failed\n"
    L"-11     SMBus slave data NACK received\n"
    L"-12     Wrong PEC (SMBus only)\n"
    L"-17     Error copying memory\n"
    L"-18     Timeout\n"
    L"-19     I2C/SMBus send Error\n"
    L"-21     Error setting I2C/SMBus speed\n"
    L"-22     Invalid I2C status\n"
    L"-23     Address NACK received\n"
    L"-24     Transfer wasn't possible\n"
    L"-25     Command failed\n"
    L"-26     Could not read data\n"
    L"-27     Received more data bytes than requested\n";

const wchar_t kConnectIPage[] =
    L"\n"
    L"connectI=<index> \n"
    L"    Connects to the Kelvane with the given index before the command runs.\n"
    L"    The first Kelvane has index 0; the indexes are those that the devices\n"
    L"    command lists. Without this option the Kelvane with index 0 is used.\n";

const wchar_t kConnectSPage[] =
    L"\n"
    L"connectS=<serial number> \n"
    L"    Connects to the Kelvane with the given serial number before the\n"
    L"    command runs. The value must match exactly, letter case included, a\n"
    L"    serial number listed by the devices command. This option takes\n"
    L"    precedence over connectI. Without either option the Kelvane with\n"
    L"    index 0 is used.\n";

const wchar_t kDevicesPage[] =
    L"\n"
    L"devices\n"
    L"    List all connected Kelvanes matching the VID / PID values\n";

const wchar_t kGpioCPage[] =
    L"\n"
    L"gpioC=<GP0 function,GP1 function,GP2 function,GP3 function>\n"
    L"    Sets the pins GP0 to GP3 to digital input or output. Only the runtime\n"
    L"    settings of the Kelvane change; the settings it loads at power-up stay\n"
    L"    as they are. A pin given a direction works as a GPIO from then on.\n"
    L"\n"
    L"Pin functions:\n"
    L"    -> in  : digital input\n"
    L"    -> out : digital output\n"
    L"    -> -   : leave the pin unchanged\n"
    L"\n"
    L"Ex: -gpioC=in,out,-,-\n"
    L"    Sets GP0 as input and GP1 as output; GP2 and GP3 stay unchanged.\n";

const wchar_t kGpioRPage[] =
    L"\n"
    L"gpioR=gp<pin number>[,gp<pin number>,gp<pin number>,gp<pin number>]\n"
    L"    Reads the values of the given GPIO pins and shows them in pin order.\n"
    L"\n"
    L"Pin Names:\n"
    L"    -> gp0 (or 0)\n"
    L"    -> gp1 (or 1)\n"
    L"    -> gp2 (or 2)\n"
    L"    -> gp3 (or 3)\n"
    L"\n"
    L"Ex: -gpioR=gp1,0\n"
    L"    Reads the values of GP0 and GP1.\n";

const wchar_t kGpioWPage[] =
    L"\n"
    L"gpioW=<GP0val,GP1val,GP2val,GP3val>\n"
    L"    Sets the output values of the pins GP0 to GP3. Only the runtime\n"
    L"    settings of the Kelvane change; a value shows on a pin only when the\n"
    L"    pin is a GPIO output.\n"
    L"\n"
    L"Pin Values:\n"
    L"    -> high : output high\n"
    L"    -> low  : output low\n"
    L"    -> -    : leave the pin unchanged\n"
    L"\n"
    L"Ex: -gpioW=high,low,-,-\n"
    L"    Sets GP0 high and GP1 low; GP2 and GP3 stay unchanged.\n";

const wchar_t kI2cRPage[] =
    L"\n"
    L"i2cR=<bytes to read> slave<8|7>=<slave address> [speed=<communication speed] [f=<file path>] \n"
    L"    Reads 1 to 65535 bytes from an I2C slave and shows them, or appends\n"
    L"    them to a file.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"    -> f=<file path> : append the bytes read to this file\n"
    L"\n"
    L"Ex: -i2cr=5 -slave8=a0 -speed=400000 -f=\"results/read.txt\"\n"
    L"    Reads 5 bytes from the slave at 8-bit address a0 at 400000 bps and\n"
    L"    appends them to the file.\n";

const wchar_t kI2cWPage[] =
    L"\n"
    L"i2cW=<data bytes> slave<8|7>=<slave address> [speed=<communication speed]\n"
    L"    Writes up to 65535 data bytes, hexadecimal and comma separated, to an\n"
    L"    I2C slave.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal; for 8-bit\n"
    L"       addresses the R/W bit is controlled by the software\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"\n"
    L"Ex: -i2cw=aa,bb -slave8=a0 -speed=400000 \n"
    L"    Writes the bytes aa and bb to the slave at 8-bit address a0 at\n"
    L"    400000 bps.\n";

const wchar_t kI2cWFPage[] =
    L"\n"
    L"i2cWF=<file path> slave<8|7>=<slave address> [speed=<communication speed]\n"
    L"    Writes the data bytes of a file to an I2C slave. The file holds the\n"
    L"    data bytes as 8 bit hexadecimal values, comma separated.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal; for 8-bit\n"
    L"       addresses the R/W bit is controlled by the software\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"\n"
    L"Ex: -i2cwf=\"results/data.txt\" -slave8=a0 -speed=400000 \n"
    L"    Writes the bytes listed in the file to the slave at 8-bit address a0\n"
    L"    at 400000 bps.\n";

const wchar_t kPidPage[] =
    L"\n"
    L"pid = <value>\n"
    L"    Sets the USB product identifier (PID) of the Kelvanes to look for. The\n"
    L"    value is hexadecimal, at most 4 digits. Without this option the\n"
    L"    default PID 0x4B56 is used.\n"
    L"\n"
    L"Ex: -pid=12;\n"
    L"    Looks for Kelvanes with the PID 0x12.\n";

const wchar_t kSmbRPage[] =
    L"\n"
    L"smbR=<bytes to read> slave<8|7>=<slave address> register=<value> [pec=<on|off>] [speed=<communication speed] [f=<file path>] \n"
    L"    Reads 1 to 65534 bytes from a register of an SMBus slave and shows\n"
    L"    them, or appends them to a file.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> register=<value> : register index, hexadecimal\n"
    L"    -> pec=<on|off> : packet error checking (default off)\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"    -> f=<file path> : append the bytes read to this file\n"
    L"\n"
    L"Ex: -smbR=5 -slave8=a0 -register=0 -pec=on -speed=400000 -f=\"results/read.txt\"\n"
    L"    Reads 5 bytes from register 0 of the slave at 8-bit address a0 with\n"
    L"    packet error checking at 400000 bps and appends them to the file.\n";

const wchar_t kSmbWPage[] =
    L"\n"
    L"smbW=<data bytes> slave<8|7>=<slave address> register=<value> [pec=<on|off>] [speed=<communication speed]\n"
    L"    Writes up to 65534 data bytes, hexadecimal and comma separated, to the\n"
    L"    register of an SMBus slave that register=<value> gives in hexadecimal.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> pec=<on|off> : packet error checking (default off)\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"\n"
    L"Ex: -smbw=aa,bb -slave8=a0 -register=0 -pec=on -speed=400000 \n"
    L"    Writes the bytes aa and bb to register 0 of the slave at 8-bit\n"
    L"    address a0 with packet error checking at 400000 bps.\n";

const wchar_t kSmbWFPage[] =
    L"\n"
    L"smbWF=<file path> slave<8|7>=<slave address> register=<value> [pec=<on|off>] [speed=<communication speed]\n"
    L"    Writes the data bytes of a file to the register of an SMBus slave that\n"
    L"    register=<value> gives in hexadecimal. The file holds the data bytes\n"
    L"    as 8 bit hexadecimal values, comma separated.\n"
    L"\n"
    L"Options:\n"
    L"    -> slave8=<slave address> : 8-bit slave address, hexadecimal\n"
    L"    -> slave7=<slave address> : 7-bit slave address, hexadecimal\n"
    L"    -> pec=<on|off> : packet error checking (default off)\n"
    L"    -> speed=<communication speed> : bus speed in bps, 48000 to 400000\n"
    L"       (default 100000)\n"
    L"\n"
    L"Ex: -smbwf=\"results/data.txt\" -slave8=a0 -register=0 -pec=on -speed=400000 \n"
    L"    Writes the bytes listed in the file to register 0 of the slave at\n"
    L"    8-bit address a0 with packet error checking at 400000 bps.\n";

const wchar_t kVidPage[] =
    L"\n"
    L"vid = <value>\n"
    L"    Sets the USB vendor identifier (VID) of the Kelvanes to look for. The\n"
    L"    value is hexadecimal, at most 4 digits. Without this option the\n"
    L"    default VID 0x1209 is used.\n"
    L"\n"
    L"Ex: -vid=123;\n"
    L"    Looks for Kelvanes with the VID 0x123.\n";

}  // namespace kelvane::cli
