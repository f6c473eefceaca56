#pragma once
// Keeps the children of a resizable window anchored to its edges. Attached to the
// window itself; on WM_SIZE (not minimised) it lays the children out after the window's
// own procedure has seen the message.
#include "ui/Anchor.h"
#include "ui/WindowSubclass.h"

#include <map>

#include <windows.h>

class AnchorLayout : public WindowSubclass {
public:
    void set(int controlId, const Anchor& anchor);
    void set(HWND child, const Anchor& anchor);
    // The entry of a child; a missing one is inserted with all five values -1.
    Anchor& entry(int controlId);
    Anchor& entry(HWND child);

    // Lays out once for the window's current client size.
    void apply(HWND window);
    // One layout pass for a client area of width x height: handle-keyed entries first,
    // then id-keyed ones; inactive entries are removed, missing children skipped.
    void layout(HWND window, int width, int height);

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::map<HWND, Anchor> m_byHandle;
    std::map<int, Anchor> m_byId;
};
