#include "NoCrtLib/InvalidUninstData.h"

const char* InvalidUninstData::what() const noexcept { return "Invalid uninstallation data."; }
