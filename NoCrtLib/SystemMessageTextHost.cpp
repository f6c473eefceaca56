#include "NoCrtLib/WinErrorMessage.h"

// The host has no system message table: every code falls back to the built-in texts.
bool SystemMessageText(uint32_t, std::string&) { return false; }
