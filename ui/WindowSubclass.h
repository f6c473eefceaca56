#pragma once
// Handler objects attached to existing windows through a chain of up to ten subclass
// slots. Slot n keeps its handler in the window property "ARVENDO_SUBWND_<n>"; the
// newest handler is the window's procedure and reaches older ones (and finally the
// original procedure) through its previous procedure. The chain holds one reference on
// each handler and releases it at WM_NCDESTROY, which then goes to the previous procedure.
#include "ui/RefCounted.h"
#include "ui/RefPtr.h"

#include <windows.h>

class WindowSubclass : public RefCounted {
public:
    // Called once, right after the handler became the window's procedure.
    virtual void attached(HWND window);
    // Every message of the window except WM_NCDESTROY. The default passes it on.
    virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC previousProcedure() const { return m_previous; }

protected:
    LRESULT callPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
        return CallWindowProcA(m_previous, window, message, wParam, lParam);
    }

private:
    friend bool attachSubclass(HWND window, const RefPtr<WindowSubclass>& handler);
    WNDPROC m_previous = nullptr;
};

constexpr int kSubclassSlots = 10;

// Installs handler on window in the first free slot. False when the property or the
// procedure cannot be set, or when all ten slots are taken (last error
// ERROR_OUT_OF_STRUCTURES); nothing stays attached then.
bool attachSubclass(HWND window, const RefPtr<WindowSubclass>& handler);
