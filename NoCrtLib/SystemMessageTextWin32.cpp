#include "NoCrtLib/WinErrorMessage.h"

#include "NoCrtLib/ReportAssertion.h"

#include <windows.h>

namespace {

using FormatMessageFn = DWORD(WINAPI*)(DWORD, LPCVOID, DWORD, DWORD, LPSTR, DWORD, va_list*);

class LocalBuffer {
public:
    LocalBuffer() = default;
    LocalBuffer(const LocalBuffer&) = delete;
    LocalBuffer& operator=(const LocalBuffer&) = delete;
    ~LocalBuffer() {
        if (m_p) LocalFree(m_p);
    }
    char** Address() { return &m_p; }
    const char* Get() const { return m_p; }

private:
    char* m_p = nullptr;
};

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
    LocalBuffer buffer;
    DWORD length = formatMessage(flags, nullptr, code, language,
                                 reinterpret_cast<LPSTR>(buffer.Address()), 0, nullptr);
    if (length == 0 || !buffer.Get()) return false;
    out.assign(buffer.Get(), length);
    return true;
}
