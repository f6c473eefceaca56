#include "installer/actions/UninstallParams.h"

#include "installer/InstallOptions.h"

void AppendUninstallParam(const std::string& name, const std::string& value) {
    std::string& params = Options().UninstallParams;
    // The driver starts the string with its own item; the first item has no space before it.
    if (!params.empty()) params += ' ';
    params += "\"-";
    params += name;
    params += '=';
    params += value;
    params += '"';
}
