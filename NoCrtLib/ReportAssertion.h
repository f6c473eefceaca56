#pragma once
// Report of a broken internal invariant: shows the condition and ends the thread.
#include <string>

[[noreturn]] void ReportAssertion(const char* condition, const char* file, unsigned line);

#define QX_ASSERT(cond) ((cond) ? static_cast<void>(0) : ReportAssertion(#cond, __FILE__, __LINE__))

// The report's text, as ReportAssertion formats it (at most 1023 characters).
std::string AssertionText(const char* modulePath, unsigned long processId,
                          const char* file, unsigned line, const char* condition);

// Where the report goes (a message box on Windows, standard error on the host);
// replaceable so tests can observe the report. Returns the previous display.
using AssertionDisplay = void (*)(const char* text);
AssertionDisplay SetAssertionDisplay(AssertionDisplay display);
