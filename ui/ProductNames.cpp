#include "ui/ProductNames.h"

const char* const ProductShortName = "Quarnelix";
const char* const ProductFullName = "Arvendo Quarnelix";
const char* const ProductVersion = "4.26";
const char* const ProductWebHost = "www.arvendo.com";
const char* const SiblingProductName = "Dorvask";
