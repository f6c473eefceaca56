#pragma once
// Texts for Windows error codes.
#include <cstdint>
#include <string>

// The system's text for a code (trailing CR/LF removed); when the system has none,
// the built-in table's text, else "Error errorCode <code> received.". Never fails.
std::string WinErrorMessage(uint32_t code);

// "Windows error 5: Access is denied." (decimal up to 99999, else "0x%08lx"; the
// ": <text>" part only when WinErrorMessage has a text).
std::string WinErrorText(uint32_t code);

// Seam to the system's message table (FormatMessageA on Windows; the host build has
// no system messages and always returns false).
bool SystemMessageText(uint32_t code, std::string& out);
