#include "NoCrtLib/WinErrorMessage.h"

#include "NoCrtLib/Owned.h"
#include "NoCrtLib/ReportAssertion.h"

#include <windows.h>

namespace {

using FormatMessageFn = DWORD(WINAPI*)(DWORD, LPCVOID, DWORD, DWORD, LPSTR, DWORD, va_list*);

}  // namespace

bool SystemMessageText(uint32_t code, std::string& out) {
    // Resolved by name: the function is looked up the same way on every system we support.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto formatMessage = kernel ? reinterpret_cast<FormatMessageFn>(GetProcAddress(kernel, "FormatMessageA"))
                                : nullptr;
    QX_ASSERT(formatMessage);

    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                        FORMAT_MESSAGE_FROM_SYSTEM;  // 0x1300
    const DWORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT);  // 0x0800
    char* text = nullptr;
    DWORD length = formatMessage(flags, nullptr, code, language, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    LocalMemory buffer(text);
    if (length == 0 || !text) return false;
    out.assign(text, length);
    return true;
}
