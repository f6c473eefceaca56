#pragma once
// Product constants, fixed at build time, and the path join every derived path uses.
#include <string>

extern const char* const ProductShortName;   // "Quarnelix"
extern const char* const ProductFullName;    // "Arvendo Quarnelix"
extern const char* const ProductVersion;     // "4.26"
extern const char* const ProductWebHost;     // shown in the usage banner
extern const char* const SiblingProductName; // shares resources and the .dvs association

// HKEY_LOCAL_MACHINE\<this>: the uninstall registration of the product.
std::string ProductUninstallKey();

// The usage banner, every line ending in "\n".
std::string UsageBanner();

// The two parts with exactly one backslash between them; no backslash when either is empty.
std::string JoinPath(const std::string& first, const std::string& second);
