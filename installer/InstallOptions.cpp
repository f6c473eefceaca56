#include "installer/InstallOptions.h"

#include "ui/Prompt.h"

namespace {
InstallOptions g_options;
}

InstallOptions& Options() { return g_options; }

Prompt::Mode PromptMode() { return {g_options.interactive, g_options.force}; }

void ResetOptions() { g_options = InstallOptions(); }
