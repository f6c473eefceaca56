#include "ui/WindowSubclass.h"

void WindowSubclass::attached(HWND) {}

LRESULT WindowSubclass::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return callPrevious(window, message, wParam, lParam);
}

namespace {

// One procedure per slot: a window procedure has no room for data, so the slot is
// known by which procedure runs, and the handler by that slot's property.
template <int Slot>
LRESULT CALLBACK slotProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct Slot {
    WNDPROC procedure;
    const char* property;
};

const Slot kSlots[kSubclassSlots + 1] = {
    {slotProcedure<0>, "ARVENDO_SUBWND_0"}, {slotProcedure<1>, "ARVENDO_SUBWND_1"},
    {slotProcedure<2>, "ARVENDO_SUBWND_2"}, {slotProcedure<3>, "ARVENDO_SUBWND_3"},
    {slotProcedure<4>, "ARVENDO_SUBWND_4"}, {slotProcedure<5>, "ARVENDO_SUBWND_5"},
    {slotProcedure<6>, "ARVENDO_SUBWND_6"}, {slotProcedure<7>, "ARVENDO_SUBWND_7"},
    {slotProcedure<8>, "ARVENDO_SUBWND_8"}, {slotProcedure<9>, "ARVENDO_SUBWND_9"},
    {nullptr, nullptr},
};

template <int Slot>
LRESULT CALLBACK slotProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* handler = static_cast<WindowSubclass*>(GetPropA(window, kSlots[Slot].property));
    if (!handler) return 0;
    if (message == WM_NCDESTROY) {
        WNDPROC previous = handler->previousProcedure();
        RemovePropA(window, kSlots[Slot].property);
        handler->release();
        return CallWindowProcA(previous, window, message, wParam, lParam);
    }
    // The handler may be released while it works (a message that destroys the window
    // reaches WM_NCDESTROY inside this call), so it is held for the call.
    RefPtr<WindowSubclass> hold(handler);
    return handler->handleMessage(window, message, wParam, lParam);
}

}  // namespace

bool attachSubclass(HWND window, const RefPtr<WindowSubclass>& handler) {
    if (!handler) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    for (const Slot* slot = kSlots; slot->procedure; ++slot) {
        if (GetPropA(window, slot->property)) continue;
        if (!SetPropA(window, slot->property, handler.get())) return false;
        auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(slot->procedure)));
        if (!previous) {
            DWORD error = GetLastError();
            RemovePropA(window, slot->property);
            SetLastError(error);
            return false;
        }
        handler->m_previous = previous;
        handler->addRef();
        handler->attached(window);
        return true;
    }
    SetLastError(ERROR_OUT_OF_STRUCTURES);
    return false;
}
