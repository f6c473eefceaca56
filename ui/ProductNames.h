#pragma once
// The product's names, fixed at build time: here, where the installer dialog can use them.

extern const char* const ProductShortName;   // "Quarnelix"
extern const char* const ProductFullName;    // "Arvendo Quarnelix"
extern const char* const ProductVersion;     // "4.26"
extern const char* const ProductWebHost;     // shown in the usage banner
extern const char* const SiblingProductName; // shares resources and the .dvs association
