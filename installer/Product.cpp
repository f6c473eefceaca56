#include "installer/Product.h"

const char* const ProductShortName = "Quarnelix";
const char* const ProductFullName = "Arvendo Quarnelix";
const char* const ProductVersion = "4.26";
const char* const ProductWebHost = "www.arvendo.com";
const char* const SiblingProductName = "Dorvask";

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

std::string JoinPath(const std::string& first, const std::string& second) {
    if (first.empty()) return second;
    if (second.empty()) return first;
    bool endsWithSlash = first.back() == '\\';
    bool startsWithSlash = second.front() == '\\';
    if (endsWithSlash && startsWithSlash) return first + second.substr(1);
    if (endsWithSlash || startsWithSlash) return first + second;
    return first + "\\" + second;
}
