#include "NoCrtLib/ReportAssertion.h"

#include <windows.h>

#include <utility>

namespace {

const char kFormat[] =
    "Assertion failed in module '%s', PID %u, source file '%s', line %u:\r\n%s\r\n"
    "The asserting thread will be terminated.";

void ShowAssertionBox(const char* text) {
    MessageBoxA(nullptr, text, "Assertion failed", MB_ICONERROR);
}

AssertionDisplay g_display = ShowAssertionBox;

// wsprintfA writes at most 1024 bytes, the terminating zero included.
void Format(char (&buffer)[1025], const char* modulePath, unsigned long processId,
            const char* file, unsigned line, const char* condition) {
    buffer[0] = '\0';
    wsprintfA(buffer, kFormat, modulePath, static_cast<unsigned>(processId), file, line, condition);
}

}  // namespace

std::string AssertionText(const char* modulePath, unsigned long processId, const char* file,
                          unsigned line, const char* condition) {
    char buffer[1025];
    Format(buffer, modulePath, processId, file, line, condition);
    return buffer;
}

AssertionDisplay SetAssertionDisplay(AssertionDisplay display) {
    return std::exchange(g_display, display ? display : ShowAssertionBox);
}

void ReportAssertion(const char* condition, const char* file, unsigned line) {
    // No heap here: the broken invariant may be the allocator's.
    char module[101] = {};
    GetModuleFileNameA(nullptr, module, 100);
    char text[1025];
    Format(text, module, GetCurrentProcessId(), file, line, condition);
    g_display(text);
    ExitThread(0x8805);
}
