#pragma once
// A critical section and its scoped hold, for the few objects two threads share.
#include <windows.h>

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&m_section); }
    ~CriticalSection() { DeleteCriticalSection(&m_section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    class Hold {
    public:
        explicit Hold(CriticalSection& section) : m_section(section.m_section) { EnterCriticalSection(&m_section); }
        ~Hold() { LeaveCriticalSection(&m_section); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        CRITICAL_SECTION& m_section;
    };

private:
    CRITICAL_SECTION m_section;
};
