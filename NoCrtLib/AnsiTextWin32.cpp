#include "NoCrtLib/AnsiText.h"

#include <windows.h>

// CharNextExA would give the same steps but needs a terminated buffer; the byte alone
// is enough to decide.
bool IsAnsiLeadByte(unsigned char c) { return IsDBCSLeadByteEx(CP_ACP, c) != FALSE; }
