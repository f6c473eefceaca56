// Stand-in for each of the product's programs: it prints which program it is and the
// command line it was started with, so shortcuts, file associations and the start after
// installation can be checked. When QX_PRODUCT_LOG names a file, the same line is appended
// to it (a program started by the shell has no console to read).
// Built once per program with QX_PROGRAM defined as its file name, and the platform
// variants with QX_VARIANT_NT or QX_VARIANT_9X.
#include "platform/Handles.h"

#include <windows.h>

#ifndef QX_PROGRAM
#error QX_PROGRAM must name the program
#endif

#if defined(QX_VARIANT_NT)
#define QX_VARIANT ", Windows NT family build"
#elif defined(QX_VARIANT_9X)
#define QX_VARIANT ", Windows 98/Me build"
#else
#define QX_VARIANT ""
#endif

namespace {

// No C++ library: the programs stay a few kilobytes.
class Line {
public:
    void Append(const char* text) {
        while (*text && m_length < sizeof m_text) m_text[m_length++] = *text++;
    }
    const char* Text() const { return m_text; }
    DWORD Length() const { return m_length; }

private:
    char m_text[4096];
    DWORD m_length = 0;
};

void Write(HANDLE h, const Line& line) {
    DWORD written = 0;
    if (h != INVALID_HANDLE_VALUE && h != nullptr) WriteFile(h, line.Text(), line.Length(), &written, nullptr);
}

}  // namespace

int main() {
    Line line;
    line.Append(QX_PROGRAM " (Arvendo Quarnelix 4.26" QX_VARIANT ") command line: ");
    line.Append(GetCommandLineA());
    line.Append("\r\n");
    Write(GetStdHandle(STD_OUTPUT_HANDLE), line);

    char logPath[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QX_PRODUCT_LOG", logPath, sizeof logPath);
    if (n > 0 && n < sizeof logPath) {
        // GENERIC_WRITE and a seek rather than FILE_APPEND_DATA, which Windows 98 lacks.
        FileHandle log(CreateFileA(logPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (log && SetFilePointer(log.Get(), 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER)
            Write(log.Get(), line);
    }
    return 0;
}
