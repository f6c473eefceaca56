#include "NoCrtLib/ReportAssertion.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <unistd.h>

namespace {

void PrintAssertion(const char* text) {
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

AssertionDisplay g_display = PrintAssertion;

}  // namespace

std::string AssertionText(const char* modulePath, unsigned long processId, const char* file,
                          unsigned line, const char* condition) {
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer,
                  "Assertion failed in module '%s', PID %lu, source file '%s', line %u:\r\n%s\r\n"
                  "The asserting thread will be terminated.",
                  modulePath, processId, file, line, condition);
    return buffer;
}

AssertionDisplay SetAssertionDisplay(AssertionDisplay display) {
    return std::exchange(g_display, display ? display : PrintAssertion);
}

// The host has no threads to end for us: the report goes to standard error and the
// process stops.
void ReportAssertion(const char* condition, const char* file, unsigned line) {
    char module[101] = {};
    ssize_t n = readlink("/proc/self/exe", module, 100);
    if (n < 0) module[0] = '\0';
    g_display(AssertionText(module, static_cast<unsigned long>(getpid()), file, line, condition).c_str());
    std::abort();
}
