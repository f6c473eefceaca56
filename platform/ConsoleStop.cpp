#include "platform/ConsoleStop.h"

#include "NoCrtLib/InstallError.h"

#include <windows.h>

namespace {

volatile LONG g_stopRequested = 0;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        InterlockedExchange(&g_stopRequested, 1);
        return TRUE;
    case CTRL_CLOSE_EVENT:
        InterlockedExchange(&g_stopRequested, 1);
        // The process ends when this returns: the run gets the time the system allows to
        // roll back, and the main thread's exit ends the wait.
        Sleep(INFINITE);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void InstallConsoleStopHandler() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

void ThrowIfStopRequested() {
    if (InterlockedCompareExchange(&g_stopRequested, 0, 0))
        throw InstallError("The installation was stopped by the user");
}
