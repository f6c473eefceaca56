#include "platform/StructuredException.h"

// The host has no structured exceptions; only the new-handler applies.
void InstallExceptionTranslators() { std::set_new_handler(AllocationFailureHandler); }
