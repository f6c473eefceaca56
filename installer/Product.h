#pragma once
// Product constants, fixed at build time (the names come from ui/, whose dialog shows
// them), with the path join every derived path uses.
#include "NoCrtLib/JoinPath.h"
#include "ui/ProductNames.h"

#include <string>

// HKEY_LOCAL_MACHINE\<this>: the uninstall registration of the product.
std::string ProductUninstallKey();

// The usage banner, every line ending in "\n".
std::string UsageBanner();
