#include "installer/Product.h"

std::string ProductUninstallKey() {
    return JoinPath("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", ProductShortName);
}

std::string UsageBanner() {
    std::string b;
    b += std::string("This program will install ") + ProductFullName + " " + ProductVersion + "\n";
    b += "on the machine it is being run on.\n";
    b += "\n";
    b += "Quarnelix is an SSH2 client for Windows 98/Me/NT/2000/XP/2003.\n";
    b += std::string("For more information, please visit ") + ProductWebHost + ".\n";
    b += "\n";
    b += "If this program is run without command line options, installation\n";
    b += "will be performed in interactive mode. If run with command line\n";
    b += "options, installation will be performed in unattended mode.\n";
    b += "\n";
    b += "Usage (unattended mode only):\n";
    b += " QuarnelixInstaller -installDir=directory\n";
    b += "                    [-acceptEULA] [-force] [-noRollback]\n";
    b += "                    [-installForMeOnly] [-noDesktopIcon]\n";
    return b;
}
