#include "installer/InstallOptions.h"

namespace {
InstallOptions g_options;
}

InstallOptions& Options() { return g_options; }

void ResetOptions() { g_options = InstallOptions(); }
